#pragma once

#include <QtGlobal>

// The state the program keeps for the whole run outside any object: the
// counters that number the objects built without a name ("LED_3",
// "GROUP_0", ...) and the state of the formulas' random numbers. One
// instance; a test resets it to start from the numbers of a fresh run.
class ProgramState
{
public:
    static ProgramState &instance();
    // Every counter back to 0, the random state back to its seed 1.
    void reset();

    // Elements built without a name.
    int imageCount = 0;
    int ledCount = 0;
    int pushButtonCount = 0;
    int textCount = 0;
    int timerCount = 0;
    // Containers, tree branches and bit LEDs the panel reader names; a panel
    // read twice gives new names.
    int absoluteCount = 0;
    int gridCount = 0;
    int groupCount = 0;
    int horizontalCount = 0;
    int verticalCount = 0;
    int treeCount = 0;
    int tabCount = 0;
    int branchCount = 0;
    int bitLedCount = 0;
    // Plots, thermometers and dials built without a name.
    int plotCount = 0;
    int thermoCount = 0;
    int dialCount = 0;
    // The item keys of the peripheral and register lists of generated panels;
    // they go on counting for the whole run.
    int peripheralItemCount = 0;
    int registerItemCount = 0;
    // The item keys of the register lists the SVD reader fills.
    int svdRegisterCount = 0;
    // The formulas' rand().
    quint32 randomState = 1;

private:
    ProgramState() = default;
};
