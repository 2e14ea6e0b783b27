#pragma once

#include <QLoggingCategory>

// Each library writes its developer traces to a logging category of its own,
// "quillmate.<library>" (quillmate.app, quillmate.panel, quillmate.elements,
// quillmate.paneleditor, quillmate.targetlink). Debug lines are off unless
// switched on, for example QT_LOGGING_RULES="quillmate.elements.debug=true"
// or "quillmate.*.debug=true"; info and warning lines stay on. Messages meant
// for the user never go here: they take the console, the -c log and standard
// error through the error reporter.
#define QUILLMATE_LOGGING_CATEGORY(function, name)                  \
    inline const QLoggingCategory &function()                       \
    {                                                               \
        static const QLoggingCategory category(name, QtInfoMsg);    \
        return category;                                            \
    }
