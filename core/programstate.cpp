#include "programstate.h"

ProgramState &ProgramState::instance()
{
    static ProgramState state;
    return state;
}

void ProgramState::reset()
{
    *this = ProgramState();
}
