// Rewrites a pattern written for the Basic scripting engine's dialect into PCRE2 syntax with the
// same meaning, where the two dialects disagree.
#pragma once

#include <QString>

namespace vbscript::detail {

// The caller compiles the result with PCRE2_ALT_BSUX (\xhh and \uhhhh as in the Basic dialect)
// and PCRE2_ALLOW_EMPTY_CLASS ([] matches nothing, [^] any character). On top of those:
// - an escaped letter the Basic dialect does not know stands for the letter itself (\y is y,
//   \Q is Q) instead of a PCRE2 error or a PCRE2-only construct (\Q...\E, \K, \R, \h, \A ...);
// - \v is the vertical tab only, not PCRE2's class of vertical white space;
// - inside a bracket expression, a hyphen next to \d \D \s \S \w \W is a literal hyphen
//   ([\w-.] is word characters, hyphen and point) and "[" is a literal, never a POSIX class.
// Everything else, such as a range that starts at an escaped character ([\+-=]), already means
// the same in both dialects and passes through unchanged.
QString toPcre2Pattern(const QString& pattern);

}  // namespace vbscript::detail
