#include "standin/service/server_clock.h"

#include <cstdio>
#include <optional>

#include "host/host_clock.h"

namespace kiv::standin {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

}  // namespace

ServerClock::ServerClock(host::NeighbourContext& context, int64_t epochMs)
    : context_(context), epochMs_(epochMs), startNanoseconds_(host::MonotonicNow()) {}

int64_t ServerClock::NowMs() const {
  return epochMs_ + (host::MonotonicNow() - startNanoseconds_) / 1'000'000;
}

void ServerClock::At(int64_t serverMs, std::string label, std::function<void()> work) {
  const int64_t dueNanoseconds = startNanoseconds_ + (serverMs - epochMs_) * 1'000'000;
  context_.Later(std::move(label), dueNanoseconds - host::MonotonicNow(),
                 [alive = alive_, work = std::move(work)] {
                   if (*alive) work();
                 });
}

void ServerClock::Soon(std::string label, std::function<void()> work) {
  context_.Later(std::move(label), 0, [alive = alive_, work = std::move(work)] {
    if (*alive) work();
  });
}

std::optional<int64_t> ParseUtcTime(std::string_view text) {
  int y, mo, d, h, mi, s;
  char tail[4] = {};
  const std::string copy(text);
  const int read =
      std::sscanf(copy.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%3s", &y, &mo, &d, &h, &mi, &s, tail);
  if (read < 6 || (read == 7 && std::string_view(tail) != "Z")) return std::nullopt;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 ||
      s < 0) {
    return std::nullopt;
  }
  const int64_t days = DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d));
  return ((days * 24 + h) * 60 + mi) * 60'000 + int64_t{s} * 1000;
}

std::string FormatUtcTime(int64_t serverMs) {
  int64_t seconds = serverMs / 1000;
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Civil date from days (inverse of DaysFromCivil).
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld",
                static_cast<long long>(y), m, d, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  return text;
}

}  // namespace kiv::standin
