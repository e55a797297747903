#include "core/menu.h"
#include "core/module1.h"

#include <QAction>
#include <QMenu>
#include <QTest>

class tst_Menu final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { Module1::reset(); }
    void items_data();
    void items();
    void order();
    void enabling_data();
    void enabling();
};

void tst_Menu::items_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");

    const QKeySequence none;
    auto row = [](const char *menu, const char *name, const char *text, QKeySequence shortcut) {
        QTest::newRow(name) << QString::fromLatin1(menu) << QString::fromLatin1(name)
                            << QString::fromUtf8(text) << shortcut;
    };
    row("File", "FileQuit", "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    row("File", "FilePreferences", "Preferences", none);
    row("Edit", "EditUndo", "Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    row("Edit", "EditCut", "Cut", QKeySequence(Qt::CTRL | Qt::Key_X));
    row("Edit", "EditCopy", "Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    row("Edit", "EditPaste", "Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    row("Edit", "EditClear", "Clear", none);
    row("Projects", "ProjectsPrintBoard1", "PrintBoard 1", none);
    row("Projects", "ProjectsPrintBoard5", "PrintBoard 5", none);
    row("Projects", "NameProject", "Name/Rename a Project", none);
    row("Projects", "PageSetup", "Page Setup", none);
    row("Projects", "ViewPrintProject", "View/Print Project", none);
    row("Projects", "DeletePrintBoardContents", "", none);
    row("Help", "HelpCheckForUpdatestoQuillo", "Check For Updates to Quillo", none);
    row("Help", "HelpViewTipsandTroubleshootingWebPage", "View Tips and Troubleshooting Web Page",
        none);
    row("Help", "HelpViewQuilloHelp", "View Quillo Help", none);
    row("Help", "GoToVornicSite", "Go to Vornic Website", none);
    row("AppleMenu", "AppleAboutQuillo", "About Quillo", none);
    row("AppleMenu", "AppleDisplayContextualMenu", "Display Contextual Menu", none);
    row("AppleMenu", "AppleHideContextualMenu", "Hide Contextual Menu", none);
}

void tst_Menu::items()
{
    QFETCH(QString, menu);
    QFETCH(QString, name);
    Menu bar;
    QAction *action = bar.item(name);
    QVERIFY2(action, qPrintable(name));
    QVERIFY(bar.menu(menu)->actions().contains(action));
    QTEST(action->text(), "text");
    QTEST(action->shortcut(), "shortcut");
}

void tst_Menu::order()
{
    Menu bar;
    QStringList projects;
    for (QAction *a : bar.menu(QStringLiteral("Projects"))->actions())
        projects << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    QCOMPARE(projects,
             (QStringList{"ProjectsPrintBoard1", "ProjectsPrintBoard2", "ProjectsPrintBoard3",
                          "ProjectsPrintBoard4", "ProjectsPrintBoard5", "-", "NameProject",
                          "PageSetup", "ViewPrintProject", "-", "DeletePrintBoardContents"}));
    for (int slot = 1; slot <= 5; ++slot)
        QVERIFY(bar.item(QStringLiteral("ProjectsPrintBoard%1").arg(slot))->isCheckable());
}

void tst_Menu::enabling_data()
{
    QTest::addColumn<bool>("meantToShow");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("display");
    QTest::newRow("shown and meant to be") << true << true << false;
    QTest::newRow("meant to be, not visible") << true << false << true;
    QTest::newRow("visible, not meant to be") << false << true << true;
    QTest::newRow("neither") << false << false << true;
}

void tst_Menu::enabling()
{
    QFETCH(bool, meantToShow);
    QFETCH(bool, visible);
    QFETCH(bool, display);
    Menu bar;
    Module1::CMWindowVisibility = meantToShow;
    bar.setCommandWindowVisible([visible] { return visible; });
    bar.updateEnabled();
    QCOMPARE(bar.item(QStringLiteral("AppleDisplayContextualMenu"))->isEnabled(), display);
    QCOMPARE(bar.item(QStringLiteral("AppleHideContextualMenu"))->isEnabled(), !display);
    for (const char *always :
         {"AppleAboutQuillo", "FilePreferences", "FileQuit", "ProjectsPrintBoard2", "NameProject",
          "PageSetup", "ViewPrintProject", "DeletePrintBoardContents",
          "HelpCheckForUpdatestoQuillo", "HelpViewQuilloHelp",
          "HelpViewTipsandTroubleshootingWebPage", "GoToVornicSite"})
        QVERIFY2(bar.item(QLatin1String(always))->isEnabled(), always);
    // Without a text field that has the keyboard, there is nothing to edit.
    for (const char *edit : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear"})
        QVERIFY2(!bar.item(QLatin1String(edit))->isEnabled(), edit);
}

QTEST_MAIN(tst_Menu)
#include "tst_menu.moc"
