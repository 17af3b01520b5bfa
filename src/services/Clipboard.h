#pragma once
#include "services/RtString.h"

// The system clipboard's 8-bit text (CF_TEXT, code page 936 for this tool). Window thread.

// The clipboard's text; empty when it holds no text or cannot be opened.
RtString GetClipboardText();
// Replaces the clipboard's contents with the text. False, with the clipboard unchanged, for an empty text or when
// no memory block could be prepared; false also when the clipboard could not be opened or set.
bool SetClipboardText(const RtString& text);
