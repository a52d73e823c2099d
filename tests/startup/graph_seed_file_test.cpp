#include "startup/graph_seed_file.h"

#include <sys/stat.h>

#include "support/test_env.h"

// An installed layout <prefix>/bin/ and <prefix>/share/vantrel/ in a temporary folder.
class GraphSeedFile : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(mkdir(bin.c_str(), 0700), 0);
        ASSERT_EQ(mkdir((prefix.path() + "share").c_str(), 0700), 0);
        ASSERT_EQ(mkdir(data.c_str(), 0700), 0);
    }
    TempDir prefix{"vantrel-seed"};
    const std::string bin = prefix.path() + "bin/";
    const std::string data = prefix.path() + "share/vantrel/";
};

TEST_F(GraphSeedFile, BesideTheExecutableComesFirstThenTheDataFolder) {
    // Neither: the name beside the executable, which start-up then finds missing.
    EXPECT_EQ(FindGraphSeedFile(bin), bin + "PlotwinInitData");

    // Only the installed data folder holds it, reached through bin/.. .
    WriteFile(data + "PlotwinInitData", "installed\n");
    const std::string found = FindGraphSeedFile(bin);
    EXPECT_EQ(found, bin + "../share/vantrel/PlotwinInitData");
    EXPECT_EQ(ReadFile(found), "installed\n");

    // A seed beside the executable wins over the installed one.
    WriteFile(bin + "PlotwinInitData", "beside\n");
    EXPECT_EQ(FindGraphSeedFile(bin), bin + "PlotwinInitData");
}

TEST_F(GraphSeedFile, AFolderOfTheProgramsOwnIsNotLookedAbove) {
    // An executable folder that is not a bin/ of an installation: a data folder beside that
    // folder's parent is taken only through "../share/vantrel/", never any other folder.
    WriteFile(prefix.path() + "PlotwinInitData", "parent\n");
    WriteFile(prefix.path() + "share/PlotwinInitData", "share\n");
    EXPECT_EQ(FindGraphSeedFile(bin), bin + "PlotwinInitData");
}
