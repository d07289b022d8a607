#pragma once

class AppContext;
class CommandSet;
class QString;
struct TreeState;

// What each tree of the main window needs from the window around it; the
// food and diet trees' hosts add what is their own.
class TreeHost
{
public:
    virtual ~TreeHost() = default;
    virtual AppContext& context() = 0;
    virtual CommandSet& commands() = 0;
    virtual TreeState& state() = 0;
    virtual void setStatusPanel1(const QString& text, const QString& tip) = 0;
};
