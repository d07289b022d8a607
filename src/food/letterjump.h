#pragma once

#include <QStringList>
#include <optional>

// The letter jump of the food tree: pressing a letter key on a food moves to a
// sibling by the character code of the captions' first characters (so
// lower-case initials come after every key). captions are the siblings in
// tree order, selected is the position of the selected food and keyCode the
// key's code, 'A' to 'Z'. Gives the position to select, or nothing when the
// selected caption already starts with the key.
std::optional<int> letterJumpTarget(const QStringList& captions, int selected, int keyCode);
