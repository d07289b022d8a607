#pragma once

#include <QString>

// Every message box of the program goes through one PromptService: the windows
// use the QMessageBox implementation, the tests a scripted one that records each
// box and answers from a queue.

enum class PromptIcon { None, Critical, Exclamation, Information, Question };
enum class PromptButtons { Ok, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Yes, No, Cancel };

struct Prompt
{
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString title;
    QString text;
};

class PromptService
{
public:
    virtual ~PromptService() = default;
    virtual PromptAnswer ask(const Prompt& prompt) = 0;
};
