#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class Menu;
class QLabel;
class QLineEdit;
class QPushButton;

namespace printboards {

inline const QString EnterNameMessage =
    QStringLiteral("Please enter the new name for your print project.");
inline const QString ColonOrSlashMessage =
    QStringLiteral("Please use a name that does not contain either a colon or a slash.");
inline const QString TooLongMessage =
    QStringLiteral("The new name should not exceed 30 characters (including spaces).");
inline const QString NameInUseMessage = QStringLiteral(
    "This name already is being used for a project.  Please enter a different name.");
inline constexpr int MaxNameLength = 30;

// Why `name` cannot become a project name, as the message for the user; empty when it can.
// `names` are the five current names. The rules apply in this order: nothing but blanks or a
// control character (a line break, a tab) counts as no name; a colon or slash anywhere; more
// than 30 characters; a name in use, letter case ignored.
[[nodiscard]] QString nameRejection(const QString &name, const QStringList &names);

// Renames the project whose Projects item carries the check mark: its item, the active name,
// the three items that show it, and its name file. False with `error` when the file could not
// be written (the menus are renamed all the same).
bool renameActiveProject(Menu &menu, const QString &name, QString *error = nullptr);

} // namespace printboards

// The small window in which the user names the active project. One instance; closing destroys
// it, so the caption shows the name active when it was opened.
class RenameFileWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{300, 118};

    static RenameFileWindow *open(Menu &menu);
    static RenameFileWindow *existing();
    static void closeIfOpen();

    QLabel *RenameFileStaticText;
    QLineEdit *RenameFileEditField;
    QPushButton *CancelPushButton;
    QPushButton *ClearPushButton;
    QPushButton *OkayPushButton;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    explicit RenameFileWindow(Menu &menu);
    void okay();
    void comeToFront();

    Menu &m_menu;
    static QPointer<RenameFileWindow> s_window;
};
