#pragma once

#include <QString>

// A text reduced to its words for comparing a reply with the message it answers: lower case,
// letters and digits only, words joined by one space.
QString plainForReplyCompare(const QString& text);

// Whether a written reply only echoes the message (or talks about the request itself)
// instead of answering it.
bool looksLikeBadReply(const QString& reply, const QString& source);
