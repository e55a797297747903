#include "core/module1.h"

void Module1::reset()
{
    px = py = rx = ry = 0;
    r = {};
    co = nullptr;
    SelectTimer = 0;
    ActivePrintBoard.clear();
    PrintBoardName.clear();
    ASGValuesOverRide = false;
    DisplaySoundAlertP = DisplayColorAlertP = KeepContextualMenuDisplayedP = false;
    AutoScalingGuideP = ScaleForLandscapeMode = AlwaysDisplayPageSetUpP = false;
    PKS.clear();
    CMKS.clear();
    PTS.clear();
    PNS.clear();
    PKSValue = CMKSValue = PTSValue = PNSValue = 0;
    CMWindowVisibility = false;
    MenuValueForContextMenu = 0;
    OldCMMenuValue = 0;
    ResetInstructionsTimer = 0;
}
