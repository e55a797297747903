#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QKeySequence;
class QMenu;

// The program's one menu bar: an application menu ("Quillo"), File, Edit, Projects and Help, each
// item an action whose objectName is the item's name ("FileQuit", "ProjectsPrintBoard3" ...), so
// that every part of the program can fetch an item by name to retitle, check or enable it.
// Linux has no global menu bar for a program without a main window: the menus are shown by the
// compact menu-bar window (and the tray icon, where there is one), all from this one set.
class Menu final : public QObject
{
    Q_OBJECT
public:
    // The maker's web site; the Help menu's pages are paths on it.
    static constexpr auto MakerSite = "https://quillo.example.org";
    static constexpr auto UpdatesPath = "/quillo_x_updates.html";
    static constexpr auto TipsPath = "/quillo_tips_and_trouble.html";

    explicit Menu(QObject *parent = nullptr);
    ~Menu() override;

    // The one menu bar of the run (the most recently created one).
    static Menu *instance();

    // The menus in the order they stand in a menu bar.
    [[nodiscard]] QList<QMenu *> menus() const;
    [[nodiscard]] QMenu *menu(const QString &objectName) const;
    // The item with that name, or nullptr.
    [[nodiscard]] QAction *item(const QString &name) const;

    // Decides which items are enabled; runs before any of the menus is shown.
    void updateEnabled();
    // Tells whether the command window is on screen; set by the command window's owner.
    void setCommandWindowVisible(std::function<bool()> visible)
    {
        m_commandWindowVisible = std::move(visible);
    }

private:
    QAction *add(QMenu *menu, const char *name, const QString &text, bool autoEnabled,
                 const QKeySequence &shortcut);

    QList<QMenu *> m_menus;
    QList<QAction *> m_autoEnabled;
    std::function<bool()> m_commandWindowVisible;
};
