// The compressed winners: payloads made by another tool (winners_payloads.txt)
// decoded, and each layer damaged in turn.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "joust/backend/winners_payload.h"
#include "sdk/codec/json_reader.h"
#include "sdk/codec/json_writer.h"
#include "sdk/value/native/convert.h"

namespace kiv::joust {
namespace {

constexpr char kDecompressFailed[] = "Failed to decompress joust payload";
constexpr char kDeserializeFailed[] = "Could not deserialize TournamentWinnerHistory";

// The content of the "real" payload.
constexpr char kRealWinners[] = R"({"tournamentId": 7, "winners": [
  {"rosterId": 500, "tier": 1, "shortName": "TBR", "name": "T\u00edber", "logo": 12,
   "logoColor": 3, "createTime": 1799999000000, "averageWinDuration": 1834000,
   "playerIds": [42, 43, 44, 45, 18446744073709551615]},
  {"rosterId": 501, "tier": 2, "shortName": "VST", "name": "Vesta", "logo": 4, "logoColor": 1,
   "createTime": 1799999100000, "averageWinDuration": 2011000, "playerIds": [50, 51, 52, 53, 54]}]})";

std::map<std::string, std::string> ReadPayloads() {
  std::map<std::string, std::string> payloads;
  std::ifstream file(KIV_WINNERS_PAYLOADS);
  std::string line;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string name;
    fields >> name >> payloads[name];
  }
  return payloads;
}

std::string JsonOfWinners(const Api::TournamentWinnerHistory& winners) {
  BindingProperty value;
  ConversionStatus status;
  ToValue(winners, value, status);
  return WriteJson(value);
}

TEST(WinnersPayload, DecodesPayloadsOfAnotherToolAndRefusesEachDamagedLayer) {
  const auto payloads = ReadPayloads();
  ASSERT_EQ(payloads.size(), 4u) << KIV_WINNERS_PAYLOADS;
  const std::string& real = payloads.at("real");
  ASSERT_EQ(real.substr(real.size() - 2), "==");
  std::string wrongCrc = real;
  wrongCrc[real.size() - 10] = wrongCrc[real.size() - 10] == 'A' ? 'B' : 'A';

  struct Case {
    const char* desc;
    std::string payload;
    const char* failure;   // the message, or null for success
    const char* expected;  // the decoded record's JSON
  };
  const Case cases[] = {
      {"real", real, nullptr, kRealWinners},
      {"padding left out", real.substr(0, real.size() - 2), nullptr, kRealWinners},
      {"two gzip members: the first only", payloads.at("two-members"), nullptr,
       R"({"tournamentId":8,"winners":[]})"},
      {"empty", "", kDecompressFailed, nullptr},
      {"Base64: a character outside the alphabet", real.substr(0, 40) + "*" + real.substr(41),
       kDecompressFailed, nullptr},
      {"gzip: wrong checksum", wrongCrc, kDecompressFailed, nullptr},
      {"gzip: truncated", real.substr(0, real.size() - 12), kDecompressFailed, nullptr},
      {"JSON: not JSON", payloads.at("not-json"), kDeserializeFailed, nullptr},
      {"record: wrong shape", payloads.at("wrong-shape"), kDeserializeFailed, nullptr},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.desc);
    const auto winners = DecodeWinners(row.payload);
    if (row.failure) {
      ASSERT_FALSE(winners.ok());
      EXPECT_EQ(winners.failure().ErrorCode(), 500u);
      EXPECT_EQ(winners.failure().Message(), row.failure);
      continue;
    }
    ASSERT_TRUE(winners.ok()) << winners.failure().Message();
    EXPECT_EQ(JsonOfWinners(*winners), WriteJson(ReadJson(row.expected)));
  }
}

}  // namespace
}  // namespace kiv::joust
