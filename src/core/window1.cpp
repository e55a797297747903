#include "core/window1.h"

#include "platform/styleddocument.h"
#include "printing/printpipeline.h"
#include "printing/stampandnote.h"
#include "selection/overlaywindow.h"
#include "selection/selection.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
Window1 *s_instance = nullptr;
}

Window1::Window1(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Window1"));
    setWindowTitle(QStringLiteral("Quillo"));
    s_instance = this;

    PrintPushButton = makeButton("PrintPushButton", QStringLiteral("Print"));
    PrintWithStampPushButton =
        makeButton("PrintWithStampPushButton", QStringLiteral("Print W/Stamp"));
    PrintWithNotePushButton =
        makeButton("PrintWithNotePushButton", QStringLiteral("Print W/Note+Stamp"));
    PageSetUpPushButton = makeButton("PageSetUpPushButton", QStringLiteral("Page Setup"));
    AddToPrintJobPushButton1 =
        makeButton("AddToPrintJobPushButton1", QStringLiteral("Add To Print Job-1"));
    AddToPrintJobPushButton2 =
        makeButton("AddToPrintJobPushButton2", QStringLiteral("Add To Print Job-2"));
    AddNoteToJobPushButton =
        makeButton("AddNoteToJobPushButton", QStringLiteral("Add Note To Job"));
    PrintPrintJjobPushButton =
        makeButton("PrintPrintJjobPushButton", QStringLiteral("Print Print Job"));
    ClearPrintJobPushButton =
        makeButton("ClearPrintJobPushButton", QStringLiteral("Clear Print Job"));

    WASTEfield1 = makeDocument("WASTEfield1");
    WASTEfield2 = makeDocument("WASTEfield2");
    WASTEfieldRestoreClipboard = makeDocument("WASTEfieldRestoreClipboard");
    WASTEfield3 = makeDocument("WASTEfield3");
    PrintBoard2WasteField = makeDocument("PrintBoard2WasteField");
    PrintBoard3WASTEfield = makeDocument("PrintBoard3WASTEfield");
    PrintBoard4WASTEfield = makeDocument("PrintBoard4WASTEfield");
    PrintBoard5WASTEfield = makeDocument("PrintBoard5WASTEfield");

    ASGValuesEditfield = new QLineEdit(this);
    ASGValuesEditfield->setObjectName(QStringLiteral("ASGValuesEditfield"));

    Timer1 = makeTimer("Timer1", 2000);
    Timer2 = makeTimer("Timer2", 2000);
    Timer3 = makeTimer("Timer3", 2000);
    Timer4 = makeTimer("Timer4", 2000);
    Timer5 = makeTimer("Timer5", 2000);
    Timer8 = makeTimer("Timer8", 500);
    Timer9 = makeTimer("Timer9", 500);
    ContextualMenuTimer = makeTimer("ContextualMenuTimer", 500);
    ForcehelpInstructionsUpdateTimer = makeTimer("ForcehelpInstructionsUpdateTimer", 100);
    IntializePKSTimer = makeTimer("IntializePKSTimer", 1000);

    printing::install(*this);
    printing::installStampAndNote(*this);
}

Window1::~Window1()
{
    if (o)
        delete o.data();
    if (s_instance == this)
        s_instance = nullptr;
}

Window1 *Window1::instance()
{
    return s_instance;
}

void Window1::start()
{
    selection::start(*this);
}

QPushButton *Window1::makeButton(const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, this);
    button->setObjectName(QLatin1String(name));
    return button;
}

StyledDocument *Window1::makeDocument(const char *name)
{
    auto *doc = new StyledDocument(this);
    doc->setObjectName(QLatin1String(name));
    return doc;
}

QTimer *Window1::makeTimer(const char *name, int periodMs)
{
    auto *timer = new QTimer(this);
    timer->setObjectName(QLatin1String(name));
    timer->setSingleShot(true);
    timer->setInterval(periodMs);
    return timer;
}
