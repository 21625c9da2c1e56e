// The stand-in service keeps its own method table, so that it judges the
// plugin independently; this contract keeps the two tables speaking the same
// language: every method the plugin's backend layer calls exists in the
// stand-in with the same argument keys, in the same order, of the same kinds,
// and the stand-in serves no method the plugin does not know.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "joust/backend/backend_methods.h"
#include "standin/service/joust_service.h"

namespace kiv::standin {
namespace {

using joust::ArgumentKind;

// The stand-in's name for each kind the backend layer sends.
ArgKind StandInKind(ArgumentKind kind) {
  switch (kind) {
    case ArgumentKind::kText:
      return ArgKind::kString;
    case ArgumentKind::kSigned:
      return ArgKind::kSigned;
    case ArgumentKind::kUnsigned:
      return ArgKind::kUnsigned;
    case ArgumentKind::kPosition:
      return ArgKind::kPosition;
    case ArgumentKind::kUnsignedList:
      return ArgKind::kUnsignedList;
    case ArgumentKind::kTextList:
      return ArgKind::kStringList;
    case ArgumentKind::kSignedList:
      return ArgKind::kIdList;
  }
  return ArgKind::kString;
}

struct Argument {
  std::string key;
  ArgKind kind;
  bool operator==(const Argument&) const = default;
};

std::string Describe(const std::vector<Argument>& arguments) {
  std::string text;
  for (const Argument& argument : arguments) {
    text += argument.key + ":" + std::to_string(static_cast<int>(argument.kind)) + " ";
  }
  return text;
}

TEST(ServiceContract, BackendAndStandInAgreeOnEveryMethodKeyAndKind) {
  std::map<std::string, std::vector<Argument>> standIn;
  for (const MethodRow& row : JoustMethods()) {
    std::vector<Argument>& arguments = standIn[row.name];
    for (const ArgSpec& spec : row.args) {
      if (spec.key != nullptr) arguments.push_back({spec.key, spec.kind});
    }
  }
  std::set<std::string> called;
  for (const joust::BackendMethodRow& row : joust::AllBackendMethods()) {
    const std::string name(row.name);
    called.insert(name);
    std::vector<Argument> sent;
    for (const joust::ArgumentSpec& spec : row.arguments) {
      sent.push_back({std::string(spec.key), StandInKind(spec.kind)});
    }
    const auto served = standIn.find(name);
    if (served == standIn.end()) {
      ADD_FAILURE() << "the stand-in does not serve " << name;
      continue;
    }
    EXPECT_EQ(sent, served->second) << name << ": the backend sends " << Describe(sent)
                                    << "; the stand-in reads " << Describe(served->second);
  }
  for (const auto& [name, arguments] : standIn) {
    EXPECT_TRUE(called.count(name)) << "the stand-in serves " << name << ", which no call uses";
  }
}

}  // namespace
}  // namespace kiv::standin
