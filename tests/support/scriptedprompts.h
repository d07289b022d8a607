#pragma once

#include "app/promptservice.h"

#include <QList>
#include <QStringList>

// A PromptService for tests: records every box and answers questions from a
// queue. A question asked with an empty queue is answered No.
class ScriptedPrompts : public PromptService
{
public:
    PromptAnswer ask(const Prompt& prompt) override;

    void queue(PromptAnswer answer) { m_answers.append(answer); }
    void queueYes() { queue(PromptAnswer::Yes); }
    void queueNo() { queue(PromptAnswer::No); }

    const QList<Prompt>& shown() const { return m_shown; }
    QStringList texts() const;
    Prompt last() const { return m_shown.isEmpty() ? Prompt{} : m_shown.last(); }
    int count() const { return int(m_shown.size()); }
    void clear();

private:
    QList<Prompt> m_shown;
    QList<PromptAnswer> m_answers;
};

// Boxes compare whole, and QCOMPARE shows both whole when they differ.
bool operator==(const Prompt& a, const Prompt& b);
char* toString(const Prompt& prompt);

// The box of a data failure: "Application Error" with the message and the
// support sentence.
Prompt applicationError(const QString& message);
