// The on-disk submission queue: restarts, torn and damaged lines, kill -9, the lock; the retry
// schedule.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "forward/retry_backoff.h"
#include "forward/submission_queue.h"

namespace orv {
namespace {

std::filesystem::path FreshPath(const char* name) {
    const auto path = std::filesystem::path(::testing::TempDir()) / name;
    std::filesystem::remove(path);
    return path;
}

std::string Body(std::uint64_t n) { return "frame=" + std::to_string(n * 1000003) + "&source=DL1ABC"; }

std::vector<std::uint64_t> DrainIds(SubmissionQueue& q) {
    std::vector<std::uint64_t> ids;
    std::string error;
    while (auto e = q.Front()) {
        ids.push_back(e->id);
        EXPECT_TRUE(q.Remove(e->id, error)) << error;
    }
    return ids;
}

TEST(SubmissionQueueTest, EntriesKeepTheirIdsAcrossRestartsAndCompaction) {
    const auto path = FreshPath("queue_restart.journal");
    std::string error;
    {
        SubmissionQueue q;
        q.SetCompactAfter(4);
        ASSERT_TRUE(q.Open(path, error)) << error;
        for (int i = 1; i <= 10; ++i) EXPECT_EQ(q.Add(Body(i), error), static_cast<std::uint64_t>(i)) << error;
        for (std::uint64_t id : {1, 2, 3, 4, 5, 6}) EXPECT_TRUE(q.Remove(id, error)) << error;
        EXPECT_TRUE(q.Remove(6, error));  // twice: harmless
        EXPECT_EQ(q.Size(), 4U);
    }
    SubmissionQueue q;
    ASSERT_TRUE(q.Open(path, error)) << error;
    EXPECT_EQ(q.SkippedLines(), 0U);
    ASSERT_EQ(q.Size(), 4U);
    EXPECT_EQ(q.Front()->id, 7U);
    EXPECT_EQ(q.Front()->body, Body(7));
    EXPECT_EQ(q.Add(Body(11), error), 11U) << error;  // ids are never reused
    EXPECT_EQ(DrainIds(q), (std::vector<std::uint64_t>{7, 8, 9, 10, 11}));
    q.Close();
    ASSERT_TRUE(q.Open(path, error)) << error;
    EXPECT_EQ(q.Size(), 0U);
    EXPECT_EQ(q.Add(Body(12), error), 12U);
    // Compaction left a short file: the next-id line and one entry.
    q.Close();
    ASSERT_TRUE(q.Open(path, error));
    q.Close();
    std::ifstream in(path);
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) ++lines;
    EXPECT_EQ(lines, 2);
}

TEST(SubmissionQueueTest, TornAndDamagedLinesAreSkipped) {
    const auto path = FreshPath("queue_torn.journal");
    std::string error;
    {
        SubmissionQueue q;
        ASSERT_TRUE(q.Open(path, error)) << error;
        for (int i = 1; i <= 3; ++i) q.Add(Body(i), error);
    }
    {
        // Damage entry 2's body, then leave half a line as a crash would.
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        const auto at = text.find(Body(2));
        ASSERT_NE(at, std::string::npos);
        f.seekp(static_cast<std::streamoff>(at + 7));
        f.put('X');
        f.seekp(0, std::ios::end);
        f << "E 4 12";
    }
    SubmissionQueue q;
    ASSERT_TRUE(q.Open(path, error)) << error;
    EXPECT_EQ(q.SkippedLines(), 2U);
    EXPECT_EQ(q.Add(Body(5), error), 4U) << error;
    q.Close();
    ASSERT_TRUE(q.Open(path, error)) << error;
    EXPECT_EQ(q.SkippedLines(), 0U);  // the tail was cut, the next line started clean
    std::vector<std::string> bodies;
    while (auto e = q.Front()) {
        bodies.push_back(e->body);
        q.Remove(e->id, error);
    }
    EXPECT_EQ(bodies, (std::vector<std::string>{Body(1), Body(3), Body(5)}));
}

TEST(SubmissionQueueTest, RefusalsAreReported) {
    const auto path = FreshPath("queue_refusals.journal");
    std::string error;
    SubmissionQueue q;
    q.SetMaxEntries(2);
    ASSERT_TRUE(q.Open(path, error)) << error;
    EXPECT_EQ(q.Add("a\nb", error), 0U);
    EXPECT_NE(error.find("one line"), std::string::npos);
    EXPECT_NE(q.Add("a", error), 0U);
    EXPECT_NE(q.Add("b", error), 0U);
    EXPECT_EQ(q.Add("c", error), 0U);
    EXPECT_NE(error.find("full"), std::string::npos) << error;

    SubmissionQueue second;  // another station on the same queue
    EXPECT_FALSE(second.Open(path, error));
    EXPECT_NE(error.find("in use"), std::string::npos) << error;
    q.Close();
    EXPECT_TRUE(second.Open(path, error)) << error;
    EXPECT_EQ(second.Size(), 2U);

    SubmissionQueue nowhere;
    EXPECT_FALSE(nowhere.Open(path / "x" / "y", error));
}

// A writer killed at a random moment leaves a journal that reads back whole: the entries it
// added and did not remove, each once, with its own body.
TEST(SubmissionQueueTest, SurvivesKillNine) {
    const auto path = FreshPath("queue_kill.journal");
    for (int round = 0; round < 3; ++round) {
        std::filesystem::remove(path);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            SubmissionQueue q;
            q.SetSyncEachWrite(false);
            q.SetCompactAfter(16);
            std::string error;
            if (!q.Open(path, error)) ::_exit(2);
            for (std::uint64_t n = 1;; ++n) {
                const std::uint64_t id = q.Add(Body(n), error);
                if (id != n) ::_exit(3);
                if (n % 2 == 0 && !q.Remove(id, error)) ::_exit(4);
            }
        }
        std::error_code ec;
        while (std::filesystem::file_size(path, ec) < 20000u * (round + 1) || ec)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer stopped by itself: " << WEXITSTATUS(status);

        SubmissionQueue q;
        q.SetSyncEachWrite(false);
        std::string error;
        ASSERT_TRUE(q.Open(path, error)) << error;
        EXPECT_LE(q.SkippedLines(), 1U);
        // The odd ids in order; the last entry may be an even one killed before its removal.
        std::vector<std::uint64_t> ids;
        while (auto e = q.Front()) {
            EXPECT_EQ(e->body, Body(e->id));
            ids.push_back(e->id);
            q.Remove(e->id, error);
        }
        ASSERT_GT(ids.size(), 10U);
        for (std::size_t i = 0; i + 1 < ids.size(); ++i) ASSERT_EQ(ids[i], 2 * i + 1) << "round " << round;
        const std::uint64_t k = ids.size() - 1;
        EXPECT_TRUE(ids.back() == 2 * k + 1 || ids.back() == 2 * k) << ids.back();
        q.Close();
    }
}

TEST(RetryBackoffTest, DoublesUpToTheLongestAndStartsOver) {
    RetryBackoff b(10, 100);
    EXPECT_TRUE(b.Due(0));
    const std::int64_t dueTimes[] = {1010, 1020, 1040, 1080, 1100, 1100};
    for (const std::int64_t due : dueTimes) {
        EXPECT_EQ(b.Failed(1000), due);
        EXPECT_FALSE(b.Due(due - 1));
        EXPECT_TRUE(b.Due(due));
    }
    b.Succeeded();
    EXPECT_TRUE(b.Due(1000));
    EXPECT_EQ(b.Failed(2000), 2010);
}

}  // namespace
}  // namespace orv
