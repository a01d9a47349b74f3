#pragma once

#include "core/Controls.h"
#include "core/Grid.h"

#include <array>

// The window's controls and the flags the cycle, the sources and the outputs share: all
// the window needs of the cockpit. Indices are the ones the configuration and the operator
// know ("grdTavrel(7)" is the gauge table); the enums below name them, numbers kept.
namespace tavrel {

struct CockpitFlags
{
    bool SimActive = false;         // the source reports the simulator active
    bool ScreenUpdate = true;       // values and status texts go to the window
    bool UpdateEpicAnyway = false;  // run the EPIC transfer without a card
    bool EpicOpen = false;          // the EPIC link is open
    bool SpeedBrakeOpen = false;    // SpeedBrake > 0, recomputed every cycle
    bool LivenessPending = false;   // the next arrival answers "X"
    bool ServoPresent = false;      // a one-motor servo controller has attached
    bool MultiServoPresent = false; // a servo controller with more motors has attached
};

// chkGlimra(i)
enum Chk : int {
    ChkNoScreenUpdate = 0, // "Update Lights/Gauges - Not Screen"
    ChkAllLampsOn = 1,     // "All Lamps On": the lamp test
    ChkEpicAnyway = 2,     // "Update Values Without EPIC Present"
};
// optConnectType(i)
enum Opt : int { OptTcpIp = 0, OptDcom = 1 };
// sldGlimra(i)
enum Sld : int { SldBrightness = 0, SldPollingRate = 1 };
// fldGlimra(i)
enum Fld : int { FldRelayAddress = 0, FldRelayPort = 1 };

// fraGlimra(i), by caption.
enum Fra : int {
    FraDevices = 0,
    FraCommunication = 1,
    FraKit1 = 2,
    FraLightingOptions = 3,
    FraTextLcd1 = 4,
    FraTextLed1 = 5,
    FraServo = 6, // "Phidget Servo / G-Suit Beta"
    FraLed64_1 = 7,
    FraLed64_2 = 8,
    FraKit2 = 9,
    FraDed = 10,
    FraAnalogData = 11,
    FraLeftMfd = 12,
    FraRightMfd = 13,
    FraProgramControl = 14,
    FraEpicControls = 15,
    FraPfd = 16,
    FraTextLed2 = 17,
    FraTextLcd2 = 18,
    FraEpicDataSettings = 19,
    FraSiocIocp = 20,
    kFrameCount = 21,
};

// grdTavrel(i): the device tables on screen.
enum Grd : int {
    GrdLed64_1 = 0,
    GrdLed64_2 = 1,
    GrdKit1 = 2,
    GrdTextLed1 = 3,
    GrdDevices = 4,
    GrdKit2 = 5,
    GrdTextLcd1 = 6,
    GrdGauges = 7,
    GrdLeftMfd = 8,
    GrdRightMfd = 9,
    GrdEpic = 10, // the pigeonholes, on the "EPIC (USB)" tab
    GrdTextLed2 = 11,
    GrdTextLcd2 = 12,
    kGridCount = 13,
};

// lblGlimra(i) that behaviour writes.
enum Lbl : int {
    LblDed = 0,
    LblPfl = 2,
    LblGLoad = 15,
    LblServo1 = 24,
    LblServo2 = 25,
    kLabelCount = 26,
};

// The tabs of tabGlimra, by caption.
enum Tab : int {
    TabControl = 0,
    TabLed64 = 1,
    TabKits = 2,
    TabTextDisplays = 3,
    TabGauges = 4,
    TabGSuit = 5,
    TabMfds = 6,
    TabHud = 7,
    TabEpic = 8,
    TabSwitches = 9,
};

// Every control that behaviour reads or writes, by the names and indices the
// configuration and the operator know. The window binds one widget to each; a click on a
// widget is a click on its model, whose handler the cockpit connects.
struct CockpitControls
{
    Form frmTavrel;
    std::array<CheckBox, 3> chkGlimra;          // by Chk
    std::array<OptionButton, 2> optConnectType; // by Opt
    std::array<Slider, 2> sldGlimra;            // by Sld
    std::array<TextBox, 2> fldGlimra;           // by Fld
    std::array<Label, kLabelCount> lblGlimra;
    Label lblTCPIPMsg;
    Label lblTimerValue;
    std::array<Frame, kFrameCount> fraGlimra; // by Fra
    std::array<Grid, kGridCount> grdTavrel;   // by Grd
    StatusBar sbStatusBar;
    TabStrip tabGlimra; // by Tab
    // The gear test on the "Switches" tab: "Gear Up", "Gear Down", "Timer Enabled".
    CommandButton Command1;
    CommandButton Command2;
    CheckBox Check1;
    // "Open Epic" and "Close Epic" in "EPIC Controls".
    CommandButton btnOpenEpic;
    CommandButton btnCloseEpic;
};

} // namespace tavrel
