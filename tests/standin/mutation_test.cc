// Each fault the simulation injects is known to be caught: the plugin's
// handling of it, broken on purpose in a test build of the library, fails
// the replay of a world that shows the fault, while the shipped library
// plays the same world clean. The replays run as child processes, since a
// broken plugin may abort its host.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

using ::testing::HasSubstr;

struct Mutant {
  const char* fault;     // the fault kind the world injects
  const char* mutation;  // the break, as KIV_MUTATION names it
  const char* world;     // the scenario file that shows the fault
  const char* caught;    // what the failed replay prints
};

// clang-format off
constexpr Mutant kMutants[] = {
    {"service never answers", "service-answer-limit-off",
     KIV_MUTANTS_DIR "/service-never.yaml", "nothing can ever answer it"},
    {"push cut short", "unparsable-push-crashes",
     KIV_MUTANTS_DIR "/push-truncated.yaml", "killed by signal"},
    {"push followed by an older one", "stale-roster-applied",
     KIV_MUTANTS_DIR "/push-stale.yaml", "an older copy replaced a newer one"},
    {"service fails", "failed-login-refresh-publishes-nothing",
     KIV_REGRESSIONS_DIR "/simulation-seed-5.yaml", "invariant violated"},
    {"service answers late (the server clock moves)", "clock-move-keeps-timers",
     KIV_REGRESSIONS_DIR "/simulation-seed-72.yaml", "invariant violated"},
    {"a refresh mid-tournament drops a bracket, as a login may", "dropped-bracket-unpublished",
     KIV_REGRESSIONS_DIR "/simulation-seed-11.yaml", "invariant violated"},
    {"configuration flipped", "configuration-flip-unpublished",
     KIV_MUTANTS_DIR "/configuration-flip.yaml", "invariant violated"},
    {"entitlements flipped", "entitlements-flip-unpublished",
     KIV_MUTANTS_DIR "/entitlements-flip.yaml", "invariant violated"},
    {"logout mid-tournament", "logout-unpublished",
     KIV_MUTANTS_DIR "/logout.yaml", "invariant violated"},
    {"neighbour plugin missing (404)", "neighbour-failure-crashes",
     KIV_MUTANTS_DIR "/neighbour-missing.yaml", "killed by signal"},
};
// clang-format on

struct Outcome {
  bool passed = false;
  std::string output;
};

// Replays `world` through kiv-simulate with `library`, `mutation` set.
Outcome Replay(const std::string& library, const std::string& mutation, const std::string& world) {
  const std::string command = "KIV_MUTATION='" + mutation +
                              "' '" KIV_SIMULATE_PATH "' --library '" + library + "' --replay '" +
                              world + "' 2>&1";
  Outcome outcome;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    outcome.output = "cannot start " + command;
    return outcome;
  }
  std::array<char, 4096> buffer;
  while (fgets(buffer.data(), buffer.size(), pipe) != nullptr) outcome.output += buffer.data();
  const int status = pclose(pipe);
  if (WIFSIGNALED(status)) {
    outcome.output += "killed by signal " + std::to_string(WTERMSIG(status)) + "\n";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) > 128) {
    // The shell reports a child killed by a signal as 128 + the signal.
    outcome.output += "killed by signal " + std::to_string(WEXITSTATUS(status) - 128) + "\n";
  }
  outcome.passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return outcome;
}

std::string Tail(const std::string& output) {
  return output.size() > 2000 ? "..." + output.substr(output.size() - 2000) : output;
}

class SimulationCatches : public ::testing::TestWithParam<Mutant> {};

TEST_P(SimulationCatches, TheBrokenHandlingOfItsFault) {
  const Mutant& row = GetParam();
  const Outcome shipped = Replay(KIV_PLUGIN_PATH, "", row.world);
  ASSERT_TRUE(shipped.passed) << row.fault << ": the shipped library fails this world\n"
                              << Tail(shipped.output);
  const Outcome broken = Replay(KIV_MUTANT_PATH, row.mutation, row.world);
  EXPECT_FALSE(broken.passed) << row.fault << ": " << row.mutation << " went unnoticed\n"
                              << Tail(broken.output);
  EXPECT_THAT(broken.output, HasSubstr(row.caught)) << Tail(broken.output);
}

// The test build without a break plays like the shipped one.
TEST(SimulationCatchesNothing, WhenNothingIsBroken) {
  for (const Mutant& row : kMutants) {
    const Outcome outcome = Replay(KIV_MUTANT_PATH, "", row.world);
    EXPECT_TRUE(outcome.passed) << row.world << "\n" << Tail(outcome.output);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryFault, SimulationCatches, ::testing::ValuesIn(kMutants),
                         [](const auto& info) {
                           std::string name;
                           for (const char c : std::string(info.param.mutation)) {
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           }
                           return name;
                         });

}  // namespace
