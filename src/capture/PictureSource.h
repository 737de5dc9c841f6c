#pragma once
// Which of the clipboard's forms holds the picture to keep, if any.

#include "platform/Platform.h"

namespace pixkeeper {

// True when the program that filled the clipboard asked that it not be
// recorded (password managers do).
bool IsMarkedPrivate(Platform& platform);

// The clipboard's picture, or an empty one when the clipboard holds text, is
// marked private or holds no picture. A DIB with real transparency is taken
// in place of the plain one; "PNG" only when no bitmap is offered, unless
// `keepOfferedPng`: then an offered PNG whose bytes pass the checks is taken
// as those bytes, beside a bitmap too.
ClipboardPicture TakeClipboardPicture(Platform& platform, bool keepOfferedPng = false);

}  // namespace pixkeeper
