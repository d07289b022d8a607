#include "scriptedprompts.h"

PromptAnswer ScriptedPrompts::ask(const Prompt& prompt)
{
    m_shown.append(prompt);
    if (onPrompt)
        onPrompt(prompt);
    if (prompt.buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    if (m_answers.isEmpty()) {
        ++m_unanswered;
        return PromptAnswer::No;
    }
    return m_answers.takeFirst();
}

QStringList ScriptedPrompts::texts() const
{
    QStringList result;
    for (const Prompt& prompt : m_shown)
        result << prompt.text;
    return result;
}

void ScriptedPrompts::clear()
{
    m_shown.clear();
    m_answers.clear();
    m_unanswered = 0;
}
