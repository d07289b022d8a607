#pragma once

#include "app/promptservice.h"

// Message boxes on the screen, over the active window (and never behind the
// splash), their texts shown as plain text.
class MessageBoxPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override;
};
