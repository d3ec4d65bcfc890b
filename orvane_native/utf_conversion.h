// Text conversion between UTF-8, the channel's encoding, and UTF-16, the encoding of Win32.
#ifndef ORVANE_NATIVE_UTF_CONVERSION_H_
#define ORVANE_NATIVE_UTF_CONVERSION_H_

#include <string>
#include <string_view>

namespace orvane_native {

// Both conversions take the input with its explicit length, so NUL units inside it are converted
// like any other. Ill-formed input is not an error: invalid UTF-8 sequences and unpaired
// surrogates come out as U+FFFD. Empty input, or input the system cannot convert (including input
// longer than Win32's int lengths allow), gives empty output. Any thread; no state.
std::string Utf8FromUtf16(std::wstring_view utf16);
std::wstring Utf16FromUtf8(std::string_view utf8);

}  // namespace orvane_native

#endif  // ORVANE_NATIVE_UTF_CONVERSION_H_
