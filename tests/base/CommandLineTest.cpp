// The shared command-line style: help and version with status 0, refusals
// with status 2 in one format, range checks that name the range.
#include "base/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Tool {
    CLI::App app{"A tool."};
    std::string file;
    int count = 3;
    double seconds = 0;
    Tool() {
        setUpCommandLine(app, "glowmotion-thing");
        app.add_option("FILE", file, "the file")->required();
        app.add_option("--count", count, "how many, 1 to 9")->check(integerIn(1, 9));
        app.add_option("--at", seconds, "when")->check(numberIn(0, 2.5, "seconds", true));
    }
    CommandLineOutcome run(std::vector<const char*> args) {
        args.insert(args.begin(), "glowmotion-thing");
        return readCommandLine(app, static_cast<int>(args.size()), args.data());
    }
};

std::string error(const std::string& what) {
    return "glowmotion-thing: " + what + "\nRun with --help for more information.\n";
}

}  // namespace

TEST(CommandLine, GoesOnWithGoodArguments) {
    Tool tool;
    const CommandLineOutcome outcome = tool.run({"a.bin", "--count", "9", "--at=2.49"});
    EXPECT_EQ(outcome.status, -1);
    EXPECT_EQ(outcome.out + outcome.err, "");
    EXPECT_EQ(tool.file, "a.bin");
    EXPECT_EQ(tool.count, 9);
    EXPECT_DOUBLE_EQ(tool.seconds, 2.49);
}

TEST(CommandLine, HelpAndVersionGoToStandardOutputWithStatusZero) {
    Tool help;
    CommandLineOutcome outcome = help.run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_NE(outcome.out.find("Usage: glowmotion-thing [OPTIONS] FILE"), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.out.find("how many, 1 to 9"), std::string::npos);
    Tool version;
    outcome = version.run({"--version"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, std::string("glowmotion-thing ") + GLOWMOTION_VERSION + "\n");
}

TEST(CommandLine, RefusalsNameTheMistakeAndTheRangeWithStatusTwo) {
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, "FILE is required"},
        {{"a", "b"}, "The following argument was not expected: b"},
        {{"a", "--count", "0"}, "--count: Value 0 not in range 1 to 9"},
        {{"a", "--count", "10"}, "--count: Value 10 not in range 1 to 9"},
        {{"a", "--count", "1.5"}, "--count: Value 1.5 not in range 1 to 9"},
        {{"a", "--count", "many"}, "--count: Value many not in range 1 to 9"},
        {{"a", "--at", "2.5"}, "--at: Value 2.5 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "-0.1"}, "--at: Value -0.1 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "1e999"}, "--at: Value 1e999 not in range 0 to 2.5 (2.5 excluded) seconds"},
        {{"a", "--at", "0x1"}, ""},  // hexadecimal 1.0 is a number in range
    };
    for (const auto& [args, what] : cases) {
        Tool tool;
        const CommandLineOutcome outcome = tool.run(args);
        if (what.empty()) {
            EXPECT_EQ(outcome.status, -1);
            continue;
        }
        EXPECT_EQ(outcome.status, 2) << what;
        EXPECT_EQ(outcome.out, "") << what;
        EXPECT_EQ(outcome.err, error(what));
    }
}

TEST(CommandLine, ExistingFolderAndNonEmptyChecks) {
    std::string path = "/proc/self";
    EXPECT_EQ(existingFolder()(path), "");
    path = "/nonexistent/media";
    EXPECT_EQ(existingFolder()(path), "folder /nonexistent/media does not exist");
    path = "/dev/null";
    EXPECT_EQ(existingFolder()(path), "/dev/null is not a folder");
    path = "/dev/null/x";
    EXPECT_EQ(existingFolder()(path), "folder /dev/null/x: Not a directory");
    std::string empty;
    EXPECT_EQ(nonEmpty("folder name")(empty), "needs a folder name");
}

TEST(CommandLine, HelpPutsNeedsAndExcludesUnderTheDescription) {
    CLI::App app("A tool.");
    setUpCommandLine(app, "glowmotion-thing");
    bool loud = false, quiet = false;
    CLI::Option* loudFlag = app.add_flag("--loud", loud, "shout");
    app.add_flag("--quiet", quiet, "whisper")->needs(loudFlag)->excludes(loudFlag);
    const std::string help = app.help();
    // The name column holds the name alone; each note is a line of its own
    // in the description's column.
    EXPECT_NE(help.find("\n  --quiet                     whisper\n"
                        "                              Needs: --loud\n"
                        "                              Excludes: --loud\n"),
              std::string::npos)
        << help;
}

TEST(CommandLine, ManualPageListsWhatTheHelpLists) {
    CLI::App app("Glowmotion-thing: draws\nthings. More words.");
    setUpCommandLine(app, "glowmotion-thing");
    std::string file, out;
    int count = 0;
    app.add_option("FILE", file, "the file")->required();
    CLI::Option* countOption = app.add_option("--count", count, "how many, -1 to 9")->type_name("N");
    app.add_flag("--dry-run", "change nothing")->needs(countOption);
    app.add_option("--secret", count, "not listed")->group("");
    CLI::App* sub = app.add_subcommand("write", "Write OUT");
    sub->add_option("OUT", out, "where")->required();
    app.footer("Keys: '.' steps,\n.5 s back\\forward.\nExit status: 0 done, 2 a mistake.");

    const std::string page = manualPage(app, 6);
    for (const char* expected : {
             ".TH GLOWMOTION-THING 6 ",                        // title and section
             ".SH NAME\nglowmotion-thing \\- draws things\n",  // first sentence, no "Name: "
             ".SH SYNOPSIS\n\\fBglowmotion-thing\\fR [OPTIONS] FILE [SUBCOMMAND]\n",
             "\\fBglowmotion-thing write\\fR [OPTIONS] OUT\n",
             ".TP\n\\fIFILE\\fR\nthe file\n",
             ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n",
             "\\fB\\-\\-version\\fR\n",
             ".TP\n\\fB\\-\\-count\\fR \\fIN\\fR\nhow many, \\-1 to 9\n",  // option hyphens are minus signs
             ".TP\n\\fB\\-\\-dry\\-run\\fR\nchange nothing\n.br\nNeeds: \\-\\-count\n",
             ".SH COMMANDS\n.SS write\nWrite OUT\n.TP\n\\fIOUT\\fR\nwhere\n",
             // one paragraph per labelled footer item; a leading '.' is text, a backslash printed
             ".SH NOTES\n.PP\nKeys: '.' steps,\n\\&.5 s back\\eforward.\n.PP\nExit status: 0 done, 2 a mistake.\n",
         })
        EXPECT_NE(page.find(expected), std::string::npos) << expected << "\n---\n" << page;
    EXPECT_EQ(page.find("secret"), std::string::npos);  // hidden options stay hidden
}
