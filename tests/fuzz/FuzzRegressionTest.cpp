// Replays the fuzzers' inputs through the same runners in the normal build:
// every seed (fuzz/corpus/TARGET) must pass the runner's rules, and every
// input that once found a fault (fuzz/regressions/TARGET) must give the
// outcome and print the messages its NAME.expect names.
#include "FuzzInputs.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "common/Files.h"

namespace {

namespace fs = std::filesystem;

// Each runner, and the outcome prefix of an input the code takes (a picture loaded...).
struct Target {
    const char* name;
    std::string (*run)(const uint8_t*, size_t);
    const char* accepted;
};
using namespace fuzzinputs;
const Target kTargets[] = {{"tga", runTgaInput, "loaded"},
                           {"texgen", runTexgenInput, "ran"},
                           {"module", runModuleInput, "played"},
                           {"options", runOptionsInput, "show"}};

// The runner's outcome, and what it printed (standard output, then standard error).
std::pair<std::string, std::string> replay(const Target& target, const fs::path& input) {
    const std::vector<uint8_t> bytes = testfiles::readFile(input.string());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const std::string outcome = target.run(bytes.data(), bytes.size());
    std::fflush(stdout), std::fflush(stderr);
    const std::string printed = testing::internal::GetCapturedStdout();
    return {outcome, printed + testing::internal::GetCapturedStderr()};
}

class FuzzInputs : public testing::TestWithParam<Target> {};

TEST_P(FuzzInputs, SeedsPassTheRulesAndRegressionsGiveTheirOutcome) {
    const Target& target = GetParam();
    const fs::path root = fs::path(GLOWMOTION_SOURCE_DIR) / "fuzz";
    int seeds = 0, taken = 0;
    for (const auto& entry : fs::directory_iterator(root / "corpus" / target.name)) {
        const std::string outcome = replay(target, entry.path()).first;
        ASSERT_FALSE(outcome.empty()) << entry.path();
        ++seeds, taken += outcome.rfind(target.accepted, 0) == 0;
    }
    // Seeds reach past the first check, and the runner tells a refusal: both kinds are among them.
    EXPECT_TRUE(seeds >= 3 && taken > 0 && taken < seeds) << seeds << " seeds, " << taken << " taken";

    std::error_code none;  // a target without regressions has no folder
    for (const auto& entry : fs::directory_iterator(root / "regressions" / target.name, none)) {
        if (entry.path().extension() == ".expect") continue;
        SCOPED_TRACE(entry.path().string());
        std::ifstream expect(entry.path().string() + ".expect");
        std::string outcome, line;
        ASSERT_TRUE(std::getline(expect, outcome)) << "no .expect";
        const auto [got, printed] = replay(target, entry.path());
        EXPECT_EQ(got, outcome);
        while (std::getline(expect, line))
            EXPECT_TRUE(line.empty() || printed.find(line) != std::string::npos) << line << "\nprinted:\n" << printed;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<Target>& param) { return std::string(param.param.name); });

}  // namespace
