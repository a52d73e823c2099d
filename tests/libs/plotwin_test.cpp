#include "plotwin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string Trace() {
    std::vector<char> buf(static_cast<size_t>(GraphCallTrace(nullptr, 0)) + 1);
    GraphCallTrace(buf.data(), static_cast<int>(buf.size()));
    return buf.data();
}
}  // namespace

TEST(Plotwin, AcceptsCallsWithoutInitialiseAndRecordsThemInOrder) {
    GraphCallTraceClear();
    EXPECT_EQ(GraphDataClear(), 0);
    EXPECT_EQ(GraphSetParameter(1, 5, "CH1", 500, 1), 0);
    EXPECT_EQ(GraphTerminate(), 0);
    EXPECT_EQ(Trace(), "GraphDataClear\nGraphSetParameter 1 5 CH1 500 1\nGraphTerminate\n");

    GraphCallTraceClear();
    GraphInitialize(8, 500, 20001, "/tmp/x/vantrelADg5.ini");
    GraphOpen();
    const double volts = -2.5;
    GraphPutData(3, &volts, 1, 1);
    GraphPutData(4, nullptr, 1, 1);  // tolerated, recorded
    GraphSetParameter(2, 5, nullptr, 500, 1);
    EXPECT_EQ(Trace(),
              "GraphInitialize 8 500 20001 /tmp/x/vantrelADg5.ini\n"
              "GraphOpen\n"
              "GraphPutData 3 -2.5 1 1\n"
              "GraphPutData 4 (null) 1 1\n"
              "GraphSetParameter 2 5 (null) 500 1\n");
}

TEST(Plotwin, TraceCopiesWholeLinesAndStaysBounded) {
    GraphCallTraceClear();
    GraphDataClear();  // 15 bytes with its "\n"
    GraphOpen();       // 10 bytes
    char buf[20];
    EXPECT_EQ(GraphCallTrace(buf, sizeof buf), 25);
    EXPECT_STREQ(buf, "GraphDataClear\n");  // cut at a line end, never mid-line
    char tiny[4] = "xyz";
    GraphCallTrace(tiny, sizeof tiny);
    EXPECT_STREQ(tiny, "");

    // A panel feeding samples for a long time must not grow the trace without bound.
    const double v = 1.0;
    for (int i = 0; i < 20000; ++i) GraphPutData(1, &v, 1, 1);
    EXPECT_LT(GraphCallTrace(nullptr, 0), 20000 * 10);
    GraphCallTraceClear();
    EXPECT_EQ(GraphCallTrace(nullptr, 0), 0);
}
