#pragma once

#include "art/RichText.h"
#include "palette/Palette.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// The art as plain text with colour codes: tag words ("<red>") when useTags is true,
// otherwise letter codes (0x16 and a letter). Nullopt when cancelled.
std::optional<QString> taggedText(const RichText& text, const Palette& palette, bool useTags,
                                  const std::function<bool()>& cancelled = {});

} // namespace torvo
