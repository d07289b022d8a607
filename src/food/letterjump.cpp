#include "food/letterjump.h"

namespace {

// A blank caption (a food may have a blank name) counts as code 0, below every key.
int initialCode(const QString& caption)
{
    return caption.isEmpty() ? 0 : caption.at(0).unicode();
}

} // namespace

std::optional<int> letterJumpTarget(const QStringList& captions, int selected, int keyCode)
{
    if (selected < 0 || selected >= captions.size())
        return std::nullopt;
    const int code = initialCode(captions.at(selected));
    if (code == keyCode)
        return std::nullopt;
    int candidate = selected;
    if (code > keyCode) {
        candidate = 0;
        if (initialCode(captions.at(0)) >= keyCode)
            return candidate;
    }
    while (candidate < captions.size() - 1) {
        ++candidate;
        if (initialCode(captions.at(candidate)) >= keyCode)
            break;
    }
    return candidate;
}
