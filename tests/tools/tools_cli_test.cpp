// orv-cli dsp-convert and dsp-load, run as the user runs them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_contents.h"
#include "hex_records.h"
#include "orv_cli_run.h"
#include "pty.h"
#include "temp_dir.h"
#include "tools/dsp_program.h"

namespace orv {
namespace {

class ToolsCli : public ::testing::Test {
protected:
    // Writes `content` to the file `name` in the test's folder; its path.
    std::string Write(const std::string& name, const std::string& content) {
        test::WriteText(dir_ / name, content);
        return dir_.File(name);
    }
    // Runs orv-cli with `args`; stdout and stderr go to out_ and err_. Returns the exit code.
    int Run(const std::vector<std::string>& args) {
        const test::CliRun r = test::RunOrvCli(args);
        out_ = r.out;
        err_ = r.err;
        return r.exitCode;
    }

    test::TempDir dir_;
    std::string out_, err_;
};

TEST_F(ToolsCli, ConvertWritesTheTextAsSent) {
    const std::string input = test::TestProgram(3);
    const std::string file = Write("p.obj", input);
    ASSERT_EQ(Run({"dsp-convert", file}), 0) << err_;
    EXPECT_EQ(out_, ConvertDspProgram(input).text);
    EXPECT_EQ(err_, "");
}

TEST_F(ToolsCli, ConvertRejectsAMalformedFile) {
    const std::string file = Write("bad.obj", test::TestProgram(2) + ":0400000001020304F5\r\n");
    EXPECT_EQ(Run({"dsp-convert", file}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("line 4"), std::string::npos) << err_;
    EXPECT_EQ(Run({"dsp-convert", dir_.File("none.obj")}), 1);
    EXPECT_NE(err_.find("cannot open"), std::string::npos) << err_;
    EXPECT_EQ(Run({"dsp-convert"}), 2);
}

TEST_F(ToolsCli, WrongChecksumsAreListedAndNeedIgnoreChecksums) {
    const std::string input = test::TestProgram(3);
    const std::string file = Write("p.obj", test::WithWrongChecksum(input, 2));
    EXPECT_EQ(Run({"dsp-convert", file}), 1);
    EXPECT_EQ(out_, "");
    EXPECT_NE(err_.find("warning: \"" + file + "\": line 2: checksum"), std::string::npos) << err_;
    EXPECT_NE(err_.find("--ignore-checksums"), std::string::npos) << err_;
    ASSERT_EQ(Run({"dsp-convert", file, "--ignore-checksums"}), 0) << err_;
    EXPECT_EQ(out_, ConvertDspProgram(input).text);
    EXPECT_NE(err_.find("line 2: checksum"), std::string::npos) << err_;

    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    pty.StartReading();
    EXPECT_EQ(Run({"dsp-load", file, "--serial", pty.SlavePath()}), 1);
    EXPECT_NE(err_.find("--ignore-checksums"), std::string::npos) << err_;
    ASSERT_EQ(Run({"dsp-load", file, "--serial", pty.SlavePath(), "--ignore-checksums"}), 0) << err_;
    EXPECT_EQ(pty.StopReading(), std::string(kDspResetCommand) + ConvertDspProgram(input).text);
}

TEST_F(ToolsCli, LoadSendsThroughTheSerialDevice) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string input = test::TestProgram(1);
    const std::string file = Write("p.obj", input);
    pty.StartReading();
    ASSERT_EQ(Run({"dsp-load", file, "--serial", pty.SlavePath()}), 0) << err_;
    EXPECT_EQ(pty.StopReading(), std::string(kDspResetCommand) + ConvertDspProgram(input).text);
    EXPECT_NE(out_.find("Loaded"), std::string::npos) << out_;
}

TEST_F(ToolsCli, LoadRefusesMalformedFilesAndMissingPorts) {
    test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    pty.StartReading();
    const std::string bad = Write("bad.obj", ":0812340001\r\n:00000001FF\r\n");
    EXPECT_EQ(Run({"dsp-load", bad, "--serial", pty.SlavePath()}), 1);
    EXPECT_NE(err_.find("line 1"), std::string::npos) << err_;
    EXPECT_EQ(pty.StopReading(), "");

    const std::string good = Write("p.obj", test::kEndOfFileRecord);
    EXPECT_EQ(Run({"dsp-load", good, "--serial", dir_.File("no-tty")}), 1);
    EXPECT_NE(err_.find("cannot open"), std::string::npos) << err_;

    // No --serial and no port in the settings.
    const std::string settings = Write("settings.ini", "");
    EXPECT_EQ(Run({"--settings", settings, "dsp-load", good}), 1);
    EXPECT_NE(err_.find("--serial"), std::string::npos) << err_;
}

}  // namespace
}  // namespace orv
