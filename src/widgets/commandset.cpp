#include "widgets/commandset.h"

#include <QAction>

void CommandSet::add(Command command, Surface surface, QAction* action)
{
    m_actions[command][int(surface)] = action;
}

QAction* CommandSet::action(Command command, Surface surface) const
{
    return m_actions.value(command).value(int(surface), nullptr);
}

void CommandSet::setEnabled(Command command, bool enabled, Surfaces surfaces)
{
    for (Surface surface : {Surface::Menu, Surface::Popup, Surface::Toolbar, Surface::Dropdown}) {
        if (!surfaces.testFlag(surface))
            continue;
        if (QAction* a = action(command, surface))
            a->setEnabled(enabled);
    }
}

bool CommandSet::isEnabled(Command command, Surface surface) const
{
    const QAction* a = action(command, surface);
    return a && a->isEnabled();
}
