#include "commandmenu/commandwindow.h"

#include "commandmenu/helpwindow.h"
#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "infowindows/tipswindow.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "preferences/preferenceswindow.h"
#include "printboards/boards.h"
#include "printboards/slots.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>

QPointer<ContextualMenuWindow> ContextualMenuWindow::s_window;

namespace {

Menu *s_menu = nullptr;

// A selection's screen picture is taken the moment its command starts. Without a compositor,
// the place the command window leaves shows the windows below only once they have repainted.
constexpr int RepaintMs = 150;

QString escaped(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

// Pops the menu bar's menus up at the window, or the Projects menu alone.
void popUpMenus(QPoint at, bool projectsOnly)
{
    if (!s_menu)
        return;
    platform::host().bringProcessFront();
    if (projectsOnly) {
        s_menu->menu(QStringLiteral("Projects"))->popup(at);
        return;
    }
    static QPointer<QMenu> all;
    if (!all) {
        all = new QMenu;
        all->setObjectName(QStringLiteral("CommandWindowMenus"));
        for (QMenu *menu : s_menu->menus())
            all->addMenu(menu);
    }
    // Every movement with Shift held asks again; the menus stay where they first opened.
    if (!all->isVisible())
        all->popup(at);
}

} // namespace

QStringList ContextualMenuWindow::rows(const QString &projectName)
{
    const QString name = QLatin1Char('"') + projectName + QLatin1Char('"');
    return {
        QString(),
        QStringLiteral("Quillo Help and Tips"),
        QString(),
        QStringLiteral("Print Selection"),
        QStringLiteral("Print Selection With a Time-Date Stamp"),
        QStringLiteral("Print Selection With a Note and Time-Date Stamp"),
        QString(),
        QStringLiteral("Add Selection W/Single Space After it to ") + name,
        QStringLiteral("Add Selection W/Double Space After it to ") + name,
        QStringLiteral("Add a Note and Time-Date Stamp to ") + name,
        QStringLiteral("Print/Preview ") + name,
        QStringLiteral("Delete Project From ") + name,
        QString(),
        QStringLiteral("Page Setup"),
        QStringLiteral("View Projects Menu"),
        QStringLiteral("View/Change Preferences"),
        QString(),
        QStringLiteral("View Additional Tips"),
        QString(),
        QString(),
        QStringLiteral("Tip:  Holding down the Command key when choosing to add a selection to a"),
        QStringLiteral(" project will add Page Setup info to the project if the selection is "
                       "oversized."),
        QString(),
        QStringLiteral(
            "Tip:  Holding down the Shift key while moving the cursor when it's over the"),
        QStringLiteral(
            "closed Contextual Menu is a shortcut for bringing Quillo's menus into view."),
        QString(),
        QStringLiteral("Tip:  If when previewing a Project you don't see all your data, select"),
        QStringLiteral("\"cancel\" and then change the Page Setup scaling value and/or mode."),
    };
}

ContextualMenuWindow *ContextualMenuWindow::instance()
{
    if (!s_window)
        s_window = new ContextualMenuWindow;
    return s_window;
}

ContextualMenuWindow *ContextualMenuWindow::existing()
{
    return s_window;
}

void ContextualMenuWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

ContextualMenuWindow::ContextualMenuWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("ContextualMenuWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The hot key shows it while another application has the keyboard; it must keep it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFixedSize(Size);
    setMouseTracking(true);

    BevelButton1 = new QToolButton(this);
    BevelButton1->setObjectName(QStringLiteral("BevelButton1"));
    BevelButton1->setText(QStringLiteral("Quillo"));
    BevelButton1->setGeometry(0, 0, Size.width(), Size.height());
    BevelButton1->setPopupMode(QToolButton::InstantPopup);
    BevelButton1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    BevelButton1->setFocusPolicy(Qt::NoFocus);
    BevelButton1->setMouseTracking(true);
    QFont bold = QGuiApplication::font();
    bold.setPointSize(12);
    bold.setBold(true);
    BevelButton1->setFont(bold);
    BevelButton1->installEventFilter(this);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("ContextualMenu"));
    const QStringList texts = rows(Module1::PrintBoardName);
    for (const QString &text : texts) {
        QAction *row = text.isEmpty() ? m_popup->addSeparator() : m_popup->addAction(escaped(text));
        row->setCheckable(!text.isEmpty());
        m_rows.append(row);
    }
    BevelButton1->setMenu(m_popup);
    connect(m_popup, &QMenu::triggered, this,
            [this](QAction *row) { choose(int(m_rows.indexOf(row))); });
    connect(m_popup, &QMenu::aboutToShow, this, [] {
        if (platform::commandKeyDown())
            Module1::ASGValuesOverRide = true;
    });
    setMenuValue(Module1::MenuValueForContextMenu != 0 ? Module1::MenuValueForContextMenu : 6);
}

void ContextualMenuWindow::showEvent(QShowEvent *event)
{
    // Sent before every map. The window manager drops the window's states when it is hidden,
    // so they are set again each time. The X window is created here, where it is placed, rather
    // than in the constructor at the screen's origin.
    if (!event->spontaneous()) {
        platform::keepOutOfTaskbar(this);
        platform::keepPositionTrue(this);
    }
    QWidget::showEvent(event);
}

void ContextualMenuWindow::setMenuValue(int value)
{
    m_menuValue = value;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (!m_rows[i]->isSeparator())
            m_rows[i]->setChecked(i == value);
    }
}

void ContextualMenuWindow::choose(int value)
{
    setMenuValue(value);
    int use = value;
    if (value < TipRowsFrom)
        Module1::OldCMMenuValue = value;
    else
        use = Module1::OldCMMenuValue;
    if (use == 1) {
        if (resources::exists(QLatin1String(resources::files::HelpOverview))) {
            commandmenu::showHelpOverview();
            Module1::MenuValueForContextMenu = 1;
        } else {
            platform::host().beep();
            platform::host().message(QStringLiteral("The requested Help file can't be found."));
        }
        commandmenu::hideUnlessKept();
    }
    if (platform::commandKeyDown())
        Module1::ASGValuesOverRide = true;
    if (Window1 *w = Window1::instance())
        w->ContextualMenuTimer->start();
}

void ContextualMenuWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    Module1::CMWindowVisibility = false;
    Module1::MenuValueForContextMenu = -1;
    Module1::OldCMMenuValue = 0;
    QWidget::closeEvent(event);
}

bool ContextualMenuWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == BevelButton1) {
        switch (event->type()) {
        case QEvent::Enter:
            if (s_menu) {
                if (const int slot = printboards::checkedSlot(*s_menu))
                    Module1::PrintBoardName = printboards::name(*s_menu, slot);
            }
            BevelButton1->update();
            break;
        case QEvent::MouseMove:
            if (platform::shiftKeyDown())
                popUpMenus(mapToGlobal(QPoint(0, height())), false);
            break;
        case QEvent::MouseButtonPress:
            if (platform::commandKeyDown())
                Module1::ASGValuesOverRide = true;
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ContextualMenuWindow::mouseMoveEvent(QMouseEvent *event)
{
    pointerMoved();
    QWidget::mouseMoveEvent(event);
}

void ContextualMenuWindow::pointerMoved()
{
    if (platform::shiftKeyDown())
        popUpMenus(mapToGlobal(QPoint(0, height())), false);
    if (platform::commandKeyDown())
        Module1::ASGValuesOverRide = true;
}

void ContextualMenuWindow::paintEvent(QPaintEvent *event)
{
    if (platform::commandKeyDown())
        Module1::ASGValuesOverRide = true;
    QWidget::paintEvent(event);
}

namespace commandmenu {

QPoint placement(QPoint pointer, QSize screen)
{
    int left = pointer.x();
    int top = pointer.y();
    if (top < 40)
        top = 40;
    if (left > screen.width() - 120)
        left = screen.width() - 122;
    if (top > screen.height() - 24)
        top = screen.height() - 24;
    return {left, top};
}

void toggleCommandWindow(bool front)
{
    ContextualMenuWindow *window = ContextualMenuWindow::instance();
    if (!window->isVisible() || !Module1::CMWindowVisibility) {
        // Placed before it is mapped: the window manager then takes the position as asked for
        // instead of applying its own placement first.
        const QRect screen = platform::mainScreenGeometry();
        window->move(screen.topLeft() +
                     placement(platform::pointerPosition() - screen.topLeft(), screen.size()));
        window->show();
        Module1::CMWindowVisibility = true;
        if (front)
            window->raise();
    } else {
        window->hide();
        Module1::CMWindowVisibility = false;
    }
}

void hideCommandWindow()
{
    ContextualMenuWindow *window = ContextualMenuWindow::existing();
    if ((window && window->isVisible()) || Module1::CMWindowVisibility) {
        if (window)
            window->hide();
        Module1::CMWindowVisibility = false;
    }
}

void hideUnlessKept()
{
    if (Module1::KeepContextualMenuDisplayedP)
        return;
    if (ContextualMenuWindow *window = ContextualMenuWindow::existing()) {
        window->hide();
        window->close();
    }
}

void rebuildCommandWindow()
{
    ContextualMenuWindow *old = ContextualMenuWindow::existing();
    if (!old)
        return;
    const QPoint at = old->pos();
    const bool visible = Module1::CMWindowVisibility;
    old->close();
    ContextualMenuWindow *window = ContextualMenuWindow::instance();
    window->move(at);
    Module1::CMWindowVisibility = visible;
    if (visible)
        window->show();
    else
        window->close();
}

void dispatch(Window1 &w)
{
    ContextualMenuWindow *window = ContextualMenuWindow::existing();
    if (!window)
        return;
    const int b = window->menuValue();
    const auto record = [b] {
        Module1::MenuValueForContextMenu = b;
    };
    // A selection's picture must not show the command window: it steps aside, the windows it
    // covered repaint, and then the command starts. Kept displayed, it comes back on top.
    const auto startSelection = [&w, record](QPushButton *button) {
        record();
        ContextualMenuWindow *window = ContextualMenuWindow::existing();
        const bool wasShown = window && window->isVisible();
        if (window)
            window->hide();
        hideUnlessKept();
        QTimer::singleShot(wasShown ? RepaintMs : 0, button, [button, wasShown] {
            button->click();
            if (ContextualMenuWindow *kept = ContextualMenuWindow::existing();
                kept && wasShown && Module1::CMWindowVisibility)
                kept->show();
        });
    };
    const auto pushThenHide = [record](QPushButton *button) {
        button->click();
        record();
        hideUnlessKept();
    };
    const auto hideThen = [record](const std::function<void()> &command) {
        record();
        hideUnlessKept();
        command();
    };
    switch (b) {
    case 3:
        startSelection(w.PrintPushButton);
        break;
    case 4:
        startSelection(w.PrintWithStampPushButton);
        break;
    case 5:
        startSelection(w.PrintWithNotePushButton);
        break;
    case 7:
        startSelection(w.AddToPrintJobPushButton1);
        break;
    case 8:
        startSelection(w.AddToPrintJobPushButton2);
        break;
    case 9:
        pushThenHide(w.AddNoteToJobPushButton);
        break;
    case 10:
        pushThenHide(w.PrintPrintJjobPushButton);
        break;
    case 11:
        hideThen([&w] { w.ClearPrintJobPushButton->click(); });
        break;
    case 13:
        hideThen([&w] { w.PageSetUpPushButton->click(); });
        break;
    case 14: {
        const QPoint at = window->mapToGlobal(QPoint(0, window->height()));
        hideThen([at] { popUpMenus(at, true); });
        break;
    }
    case 15:
        hideThen([] { PreferencesWindow::instance()->showWindow(); });
        break;
    case 17:
        hideThen([] { TipsWindow::instance()->showWindow(); });
        break;
    default:
        break;
    }
    if (b >= ContextualMenuWindow::TipRowsFrom) {
        if (ContextualMenuWindow *still = ContextualMenuWindow::existing())
            still->setMenuValue(Module1::OldCMMenuValue);
    }
    hideUnlessKept();
}

void install(Window1 &w, Menu &menu)
{
    s_menu = &menu;
    QObject::connect(w.ContextualMenuTimer, &QTimer::timeout, &w, [&w] { dispatch(w); });
    QObject::connect(menu.item(QStringLiteral("AppleDisplayContextualMenu")), &QAction::triggered,
                     &w, [] { toggleCommandWindow(true); });
    QObject::connect(menu.item(QStringLiteral("AppleHideContextualMenu")), &QAction::triggered, &w,
                     [] { hideCommandWindow(); });
    menu.setCommandWindowVisible([] {
        ContextualMenuWindow *window = ContextualMenuWindow::existing();
        return window && window->isVisible();
    });
    printboards::setCommandWindowHooks([] { rebuildCommandWindow(); },
                                       [] { ContextualMenuWindow::closeIfOpen(); });
}

} // namespace commandmenu
