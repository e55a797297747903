#include "core/menu.h"

#include "core/module1.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QUrl>

namespace {

Menu *s_instance = nullptr;

QMenu *newMenu(const char *name, const QString &title)
{
    auto *menu = new QMenu(title);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

void openPage(const char *path)
{
    QDesktopServices::openUrl(QUrl(QLatin1String(Menu::MakerSite) + QLatin1String(path)));
}

// The text field that has the keyboard, if any: the Edit items act on it.
QWidget *focusedTextField()
{
    QWidget *w = QApplication::focusWidget();
    if (qobject_cast<QLineEdit *>(w) || qobject_cast<QTextEdit *>(w) ||
        qobject_cast<QPlainTextEdit *>(w)) {
        return w;
    }
    return nullptr;
}

void editFocused(const char *slot)
{
    if (QWidget *field = focusedTextField())
        QMetaObject::invokeMethod(field, slot);
}

} // namespace

Menu::Menu(QObject *parent) : QObject(parent)
{
    setObjectName(QStringLiteral("Menu"));
    s_instance = this;
    const QKeySequence none;

    QMenu *app = newMenu("AppleMenu", QStringLiteral("Quillo"));
    add(app, "AppleAboutQuillo", QStringLiteral("About Quillo"), false, none);
    add(app, "AppleDisplayContextualMenu", QStringLiteral("Display Contextual Menu"), false, none);
    add(app, "AppleHideContextualMenu", QStringLiteral("Hide Contextual Menu"), false, none);

    QMenu *file = newMenu("File", QStringLiteral("File"));
    add(file, "FilePreferences", QStringLiteral("Preferences"), false, none);
    file->addSeparator();
    QAction *quit =
        add(file, "FileQuit", QStringLiteral("Quit"), true, QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);

    QMenu *edit = newMenu("Edit", QStringLiteral("Edit"));
    QAction *undo =
        add(edit, "EditUndo", QStringLiteral("Undo"), false, QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addSeparator();
    QAction *cut =
        add(edit, "EditCut", QStringLiteral("Cut"), false, QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy =
        add(edit, "EditCopy", QStringLiteral("Copy"), false, QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *paste =
        add(edit, "EditPaste", QStringLiteral("Paste"), false, QKeySequence(Qt::CTRL | Qt::Key_V));
    QAction *clear = add(edit, "EditClear", QStringLiteral("Clear"), false, none);
    connect(undo, &QAction::triggered, this, [] { editFocused("undo"); });
    connect(cut, &QAction::triggered, this, [] { editFocused("cut"); });
    connect(copy, &QAction::triggered, this, [] { editFocused("copy"); });
    connect(paste, &QAction::triggered, this, [] { editFocused("paste"); });
    connect(clear, &QAction::triggered, this, [] { editFocused("clear"); });

    QMenu *projects = newMenu("Projects", QStringLiteral("Projects"));
    for (int slot = 1; slot <= 5; ++slot) {
        const QByteArray name = "ProjectsPrintBoard" + QByteArray::number(slot);
        add(projects, name.constData(), QStringLiteral("PrintBoard %1").arg(slot), true, none)
            ->setCheckable(true);
    }
    projects->addSeparator();
    add(projects, "NameProject", QStringLiteral("Name/Rename a Project"), true, none);
    add(projects, "PageSetup", QStringLiteral("Page Setup"), true, none);
    add(projects, "ViewPrintProject", QStringLiteral("View/Print Project"), true, none);
    projects->addSeparator();
    add(projects, "DeletePrintBoardContents", QString(), true, none);

    QMenu *help = newMenu("Help", QStringLiteral("Help"));
    QAction *updates = add(help, "HelpCheckForUpdatestoQuillo",
                           QStringLiteral("Check For Updates to Quillo"), false, none);
    QAction *tips = add(help, "HelpViewTipsandTroubleshootingWebPage",
                        QStringLiteral("View Tips and Troubleshooting Web Page"), false, none);
    add(help, "HelpViewQuilloHelp", QStringLiteral("View Quillo Help"), false, none);
    help->addSeparator();
    QAction *site = add(help, "GoToVornicSite", QStringLiteral("Go to Vornic Website"), true, none);
    help->addSeparator();
    connect(updates, &QAction::triggered, this, [] { openPage(UpdatesPath); });
    connect(tips, &QAction::triggered, this, [] { openPage(TipsPath); });
    connect(site, &QAction::triggered, this, [] { openPage(""); });

    m_menus = {app, file, edit, projects, help};
    for (QMenu *menu : std::as_const(m_menus))
        connect(menu, &QMenu::aboutToShow, this, &Menu::updateEnabled);
    updateEnabled();
}

Menu::~Menu()
{
    qDeleteAll(m_menus);
    if (s_instance == this)
        s_instance = nullptr;
}

Menu *Menu::instance()
{
    return s_instance;
}

QList<QMenu *> Menu::menus() const
{
    return m_menus;
}

QMenu *Menu::menu(const QString &objectName) const
{
    for (QMenu *m : m_menus) {
        if (m->objectName() == objectName)
            return m;
    }
    return nullptr;
}

QAction *Menu::item(const QString &name) const
{
    for (QMenu *m : m_menus) {
        if (auto *action = m->findChild<QAction *>(name, Qt::FindDirectChildrenOnly))
            return action;
    }
    return nullptr;
}

QAction *Menu::add(QMenu *menu, const char *name, const QString &text, bool autoEnabled,
                   const QKeySequence &shortcut)
{
    auto *action = new QAction(text, menu);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    menu->addAction(action);
    if (autoEnabled)
        m_autoEnabled << action;
    return action;
}

void Menu::updateEnabled()
{
    // Everything not enabled here, nor enabled automatically, stays disabled.
    for (QMenu *m : std::as_const(m_menus)) {
        for (QAction *action : m->actions()) {
            if (!action->isSeparator())
                action->setEnabled(m_autoEnabled.contains(action));
        }
    }
    item(QStringLiteral("AppleAboutQuillo"))->setEnabled(true);
    item(QStringLiteral("FilePreferences"))->setEnabled(true);

    // Exactly one of Display and Hide is enabled.
    const bool commandWindowShown =
        Module1::CMWindowVisibility && m_commandWindowVisible && m_commandWindowVisible();
    item(commandWindowShown ? QStringLiteral("AppleHideContextualMenu")
                            : QStringLiteral("AppleDisplayContextualMenu"))
        ->setEnabled(true);

    item(QStringLiteral("HelpCheckForUpdatestoQuillo"))->setEnabled(true);
    item(QStringLiteral("HelpViewQuilloHelp"))->setEnabled(true);
    item(QStringLiteral("HelpViewTipsandTroubleshootingWebPage"))->setEnabled(true);

    // The Edit items work on the text field that has the keyboard.
    const bool editing = focusedTextField() != nullptr;
    for (const char *name : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear"})
        item(QLatin1String(name))->setEnabled(editing);
}
