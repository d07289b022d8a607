#pragma once

#include "app/promptservice.h"

// Message boxes on the screen, over the active window.
class MessageBoxPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override;
};
