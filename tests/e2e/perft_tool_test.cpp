// The perft tool as a user runs it: one line per legal root move, then the total.
#include <gtest/gtest.h>

#include <string>

#include "engine_process.h"

namespace {

std::string Run_perft(const std::string& fen, const std::string& depth, int* status) {
  Engine_process perft(PERFT_PATH, {fen, depth});
  const std::string out = perft.read_all(20000);
  *status = perft.wait_exit(5000);
  return out;
}

TEST(PerftTool, PrintsEachRootMoveWithPromotionLettersThenTheTotal) {
  int status = -1;
  EXPECT_EQ(Run_perft("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "1", &status),
            "b7b8q: 1\nb7b8r: 1\nb7b8b: 1\nb7b8n: 1\ne1d1: 1\ne1f1: 1\ne1d2: 1\ne1e2: 1\ne1f2: 1\n"
            "\nNodes searched: 9\n");
  EXPECT_EQ(status, 0);

  const std::string out =
      Run_perft("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1", "3", &status);
  EXPECT_EQ(status, 0);
  EXPECT_NE(out.find("\ne1g1: 2059\n"), std::string::npos);
  const std::string tail = "\n\nNodes searched: 97862\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

}  // namespace
