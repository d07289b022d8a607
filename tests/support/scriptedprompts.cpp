#include "scriptedprompts.h"

#include <QByteArray>

PromptAnswer ScriptedPrompts::ask(const Prompt& prompt)
{
    m_shown.append(prompt);
    if (prompt.buttons == PromptButtons::Ok)
        return PromptAnswer::Ok;
    return m_answers.isEmpty() ? PromptAnswer::No : m_answers.takeFirst();
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
}

bool operator==(const Prompt& a, const Prompt& b)
{
    return a.icon == b.icon && a.buttons == b.buttons && a.title == b.title && a.text == b.text;
}

char* toString(const Prompt& prompt)
{
    return qstrdup(QStringLiteral("Prompt(icon %1, buttons %2, \"%3\", \"%4\")")
                       .arg(int(prompt.icon))
                       .arg(int(prompt.buttons))
                       .arg(prompt.title, prompt.text)
                       .toUtf8()
                       .constData());
}

Prompt applicationError(const QString& message)
{
    return {PromptIcon::Critical, PromptButtons::Ok, QStringLiteral("Application Error"),
            message + QStringLiteral("If this behavior continues contact Corvane Corporation Support at "
                                     "support@corvane.example.")};
}
