// identifier.h: the identifier rule that turns a method and a URL template
// (or a bare name) into an upper-camel-case function name.
//
//   MakeFunctionName("POST", "/kiv-joust/v1/enabled")  // "PostKivJoustV1Enabled"
//   MakeIdentifier("kiv-joust")                          // "KivJoust"
#pragma once

#include <string>
#include <string_view>

namespace kiv {

/// Applies the identifier rule to `text`: "!", "+", "-", ".", "/" and "_" are
/// dropped and make the next character upper case; "{" becomes "By" and makes
/// the next character upper case; "}" is dropped; the first character is
/// upper-cased; every other character is kept.
std::string MakeIdentifier(std::string_view text);

/// "Get/", "Post/", ... (the method name capitalised, then "/") followed by the
/// template, through the identifier rule. An empty method contributes nothing.
std::string MakeFunctionName(std::string_view methodName, std::string_view urlTemplate);

}  // namespace kiv
