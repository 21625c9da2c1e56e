// request_sender.h: the plumbing under AppModule::Send: method texts, the
// request record with its positional parameter entries, the response record
// read as an outcome or a body, the streamed-body loop, and the release call.
//
// Not for: calling directly from plugin logic; use AppModule::Send<R>, which
// converts typed arguments and the typed result around these functions.
//
//   std::vector<BindingProperty> params;               // already converted
//   auto body = SendRequestValues(module, KIV_METHOD_GET, "/kiv-login/v1/session",
//                                 params, ResponseUse::kBody);
//   if (!body.ok()) Log(kLogError, kGroupDbg, "%s", body.failure().ToString().c_str());
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "kiv_plugin_abi.h"
#include "sdk/value/binding_property.h"
#include "sdk/value/failure.h"
#include "sdk/value/maybe_type.h"

namespace kiv {

class AppModule;

/// The size of one read of a streamed body.
inline constexpr uint32_t kStreamReadSize = 4096;

/// "DELETE" ... "PUT" for codes 1 to 7; the empty text for 8 and anything else.
std::string_view MethodText(uint32_t method);
/// The code the host receives: `method` for 1 to 8, else 0.
uint32_t MethodCodeForHost(uint32_t method);

/// Whether the caller wants the response's body or only the outcome.
enum class ResponseUse { kOutcome, kBody };

/// The failure of a request whose parameters did not convert (code 400; the
/// host is not called).
Failure ParameterFailure(uint32_t method, std::string_view url, std::string_view error);

/// Sends one request with `params` as positional entries and reads the answer.
/// kOutcome: success carries an empty value. kBody: the body, read from the
/// stream when there is one (yielding through `module` between short reads).
/// The record's release function is called once whenever the host was called.
MaybeType<Failure, BindingProperty> SendRequestValues(AppModule& module, uint32_t method,
                                                      std::string_view url,
                                                      std::span<const BindingProperty> params,
                                                      ResponseUse use);

/// Reads a streamed body in kStreamReadSize steps into `out`, calling `yield`
/// once after every short read that leaves "more" set. False, with `error`
/// "Stream read error", when a read fails. Does not close the stream.
bool ReadStreamedBody(StreamRead read, void* stream, uint32_t expectedSize, std::string& out,
                      std::string& error, const std::function<void()>& yield);

}  // namespace kiv
