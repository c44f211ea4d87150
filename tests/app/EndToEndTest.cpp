// The program end to end: build/zemtra runs headless on the virtual clock with a script, and its
// standard output, standard error, exit status and files are checked byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

namespace fs = std::filesystem;

const std::string kTitle = "PWR ,     DATE       ,   TIME    , WORD  \n";

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string repeated(int count, const std::string& line) {
    std::string text;
    for (int index = 0; index < count; ++index) text += line;
    return text;
}

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class EndToEndTest : public ::testing::Test {
  protected:
    EndToEndTest() {
        char pattern[] = "/tmp/zemtra-e2e-XXXXXX";
        root = mkdtemp(pattern);
        fs::copy(ZEMTRA_BUILD_ASSETS_DIR, root / "assets", fs::copy_options::recursive);
        std::string words;
        for (int index = 0; index < 2075; ++index) words += "w" + std::to_string(index) + "\n";
        writeFile(root / "assets/wordlist.txt", words);
        writeFile(root / "sensors.csv", "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n");
    }
    ~EndToEndTest() override { fs::remove_all(root); }

    std::vector<std::string> arguments(const std::string& script) const {
        return {ZEMTRA_PROGRAM, "--headless",
                "--clock",      "virtual:2026-03-07T15:04:05",
                "--data",       (root / "data").string(),
                "--assets",     (root / "assets").string(),
                "--sensors",    "replay:" + (root / "sensors.csv").string(),
                "--speech",     "none",
                "--script",     script};
    }

    // Starts the program with standard output and error going to files; answers its process id.
    pid_t spawn(const std::vector<std::string>& args) const {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (root / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (root / "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> environment = {"TZ=UTC", "QT_QPA_PLATFORM=offscreen",
                                                "XDG_RUNTIME_DIR=" + root.string()};
        std::vector<char*> envp;
        for (auto& entry : environment) envp.push_back(entry.data());
        envp.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        return pid;
    }

    Outcome finish(pid_t pid) const {
        Outcome outcome;
        int status = 0;
        waitpid(pid, &status, 0);
        outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        outcome.out = readFile(root / "out");
        outcome.err = readFile(root / "err");
        return outcome;
    }

    Outcome run(const std::string& script) const {
        writeFile(root / "script.txt", script);
        return finish(spawn(arguments((root / "script.txt").string())));
    }

    std::string document(const std::string& name) const { return readFile(root / "data" / name); }
    void writeDocument(const std::string& name, const std::string& bytes) const {
        fs::create_directories(root / "data");
        writeFile(root / "data" / name, bytes);
    }

    fs::path root;
};

const std::string kStartUp = "didFinishLaunchingWithOptions\nCreate fifo\nSimulator\nType DN = 0\n";
const std::string kSaveFifo = "Save fifo\nSave done\n";

TEST_F(EndToEndTest, ARunLogsItsDecisionsAndKeepsItsFiles) {
    const Outcome outcome =
        run("# switch on, let it reject word 0, switch off\n"
            "wait 1000\ntap label1\nwait 4000\ntap label1\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, kStartUp +
                               "current value 0000\ncurrent value 0000\ndt clear\n"
                               "current value 0000\n"
                               "fifo error =w0 Delay 18500 +x*4 x = 0\n" +
                               kSaveFifo + "current value 0000\n" + kSaveFifo);
    EXPECT_EQ(document("WordLog.txt"), kTitle);
    EXPECT_EQ(document("fifo.txt"), repeated(1025, "0\n"));
    EXPECT_FALSE(fs::exists(root / "data/sp.txt"));
}

TEST_F(EndToEndTest, TheClearLogDialogIsAnsweredBothWays) {
    const std::string record = "0427 ,03/07/2026 , 15:04:05 , w427\n";
    writeDocument("WordLog.txt", kTitle + record);
    Outcome outcome = run("tap btnlog\ntap btnclog\nchoose No\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(document("WordLog.txt"), kTitle + record);
    outcome = run("tap btnlog\ntap btnclog\nchoose Yes\nscreenshot " + (root / "log.png").string() +
                  "\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(document("WordLog.txt"), kTitle);
    EXPECT_GT(fs::file_size(root / "log.png"), 0u);
}

TEST_F(EndToEndTest, SlidersAreSavedAndBadStoredFilesAreReportedNotFatal) {
    Outcome outcome = run("tap btnset\nslide slider3 200\nslide slider1 7.5\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(document("sp.txt"), "7\n2\n102\n10\n3\n10\n") << "slider 3 clamped to 102.4";

    writeDocument("sp.txt", "1\n2\nthree\n");
    writeDocument("fifo.txt", "12\nx\n");
    outcome = run("quit\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "didFinishLaunchingWithOptions\n"
              "sp.txt line 3 is not a number (three); the sliders keep their positions\n"
              "read fifo\n"
              "fifo.txt line 2 is not a number (x); the memory starts cleared\n"
              "Simulator\nType DN = 0\n" +
                  kSaveFifo);
    EXPECT_EQ(document("fifo.txt"), repeated(1025, "0\n"));

    writeFile(root / "assets/wordlist.txt", repeated(2080, "word\n"));
    outcome = run("quit\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(
        outcome.out.find("wordlist.txt has 2080 lines; the lines after line 2075 are ignored\n"),
        std::string::npos);
}

TEST_F(EndToEndTest, TwoRunsOfTheSameInputGiveTheSameOutputAndFiles) {
    const std::string script = "tap label1\nwait 30000\ntap btnset\nslide slider6 3\nwait 30000\n";
    const Outcome first = run(script);
    const std::string firstLog = document("WordLog.txt"), firstFifo = document("fifo.txt");
    fs::remove_all(root / "data");
    const Outcome second = run(script);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(firstLog, document("WordLog.txt"));
    EXPECT_EQ(firstFifo, document("fifo.txt"));
}

TEST_F(EndToEndTest, ACommandThatCannotBeCarriedOutEndsTheRunWithItsLine) {
    struct Case {
        std::string script;
        std::string error;
    };
    const Case cases[] = {
        {"wait 10\ntap nothing\n", "zemtra: script line 2: no view named nothing\n"},
        {"\n# hidden\nslide slider1 3\n", "zemtra: script line 3: view slider1 is hidden\n"},
        {"choose Yes\n", "zemtra: script line 1: no message box is showing\n"},
        {"mail send\n", "zemtra: script line 1: no mail screen is showing\n"},
    };
    for (const Case& each : cases) {
        const Outcome outcome = run(each.script);
        EXPECT_EQ(outcome.status, 1) << each.script;
        EXPECT_NE(outcome.err.find(each.error), std::string::npos) << outcome.err;
    }
    const Outcome malformed = run("wait soon\n");
    EXPECT_EQ(malformed.status, 1);
    EXPECT_NE(malformed.err.find("line 1: wait needs a whole number of milliseconds"),
              std::string::npos);
}

TEST_F(EndToEndTest, ATerminationSignalEndsTheRunInOrderAndSavesTheMemory) {
    std::vector<std::string> args = arguments("");
    args.resize(args.size() - 2);  // no script: the generator runs until it is stopped
    args.push_back("--on");
    const pid_t pid = spawn(args);
    for (int attempt = 0;
         attempt < 200 && readFile(root / "out").find("current value") == std::string::npos;
         ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGTERM);
    const Outcome outcome = finish(pid);
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_TRUE(outcome.out.ends_with(kSaveFifo));
    EXPECT_EQ(document("fifo.txt").size(), 2050u);
}

}  // namespace
