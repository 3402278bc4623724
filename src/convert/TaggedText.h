#pragma once

#include "art/RichText.h"
#include "convert/CodeWalk.h"
#include "palette/Palette.h"

#include <QString>
#include <functional>
#include <optional>

namespace torvo {

// The art as plain text with colour codes: tag words ("<red>") when useTags is true,
// otherwise letter codes (0x16 and a letter). Nullopt when cancelled.
// The walk's policy for the tagged text; it refers to `palette`, which must outlive it.
CodeWalkPolicy taggedPolicy(const Palette& palette, bool useTags);

std::optional<QString> taggedText(const RichText& text, const Palette& palette, bool useTags,
                                  const std::function<bool()>& cancelled = {});

} // namespace torvo
