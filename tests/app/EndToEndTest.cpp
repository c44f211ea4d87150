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
    pid_t spawn(const std::vector<std::string>& args,
                std::vector<std::string> environment = {}) const {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (root / "out").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, (root / "err").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        std::vector<char*> argv;
        for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        environment.insert(environment.end(), {"TZ=UTC", "QT_QPA_PLATFORM=offscreen",
                                               "XDG_RUNTIME_DIR=" + root.string()});
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

    Outcome run(const std::string& script, const std::vector<std::string>& extra = {},
                const std::vector<std::string>& environment = {}) const {
        writeFile(root / "script.txt", script);
        std::vector<std::string> args = arguments((root / "script.txt").string());
        args.insert(args.end(), extra.begin(), extra.end());
        return finish(spawn(args, environment));
    }

    std::string document(const std::string& name) const { return readFile(root / "data" / name); }
    void writeDocument(const std::string& name, const std::string& bytes) const {
        fs::create_directories(root / "data");
        writeFile(root / "data" / name, bytes);
    }

    // The messages the mail server stored (a maildir), one after the other.
    std::string receivedMail() const {
        std::string messages;
        const fs::path received = root / "maildir" / "new";
        if (!fs::is_directory(received)) return messages;
        for (const auto& entry : fs::directory_iterator(received))
            messages += readFile(entry.path());
        return messages;
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

TEST_F(EndToEndTest, ReplayedReadingsBecomeWordsPacedByQuietTimes) {
    // The digits after the point of the magnetometer's y and z and the acceleration's y and z
    // make the selection value: 0271 from the start, 1420 from 2.5 s, 0042 from 4 s.
    writeFile(
        root / "sensors.csv",
        "t_ms,mx,my,mz,ax,ay,az,yaw,pitch,roll\n"
        "0,0.123456789,0.012345678,0.212345678,0.512345678,0.712345678,0.112345678,0,0,0\n"
        "2500,0.123456789,0.112345678,0.412345678,0.512345678,0.212345678,0.012345678,0,0,0\n"
        "4000,0.123456789,0.012345678,0.012345678,0.512345678,0.412345678,0.212345678,0,0,0\n");
    const Outcome outcome = run("tap label1\nwait 6000\ntap label1\n");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    // Switched on at 0.2 s: quiet until 2 s. The sampling tick due at 2.2 s was queued before the
    // display tick of that moment, so it is still dropped; 1420 is the first word (no quiet time
    // after the first of a run), 0042 the second (1.5 s after it), and 0042 again is held in
    // memory, which is saved.
    EXPECT_EQ(outcome.out, kStartUp +
                               "current value 0271\ncurrent value 0271\ndt clear\n"
                               "current value 1420\nSpoke =w1420\nRN = 1\ndt clear\n"
                               "current value 0042\nSpoke =w42\nRN = 2\n"
                               "current value 0042\ndt clear\ncurrent value 0042\n"
                               "fifo error =w42 Delay 18500 +x*4 x = 42\n" +
                               kSaveFifo + kSaveFifo);
    EXPECT_EQ(document("WordLog.txt"), kTitle +
                                           "1420 ,03/07/2026 , 15:04:08 , w1420\n"
                                           "0042 ,03/07/2026 , 15:04:09 , w42\n");
    EXPECT_EQ(document("fifo.txt"), "1420\n42\n42\n" + repeated(1022, "0\n"));
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
    const std::vector<std::string> recording = {"--speech", "wav:" + (root / "voice.wav").string()};
    const Outcome first = run(script, recording);
    const std::string firstLog = document("WordLog.txt"), firstFifo = document("fifo.txt");
    const std::string firstVoice = readFile(root / "voice.wav");
    fs::remove_all(root / "data");
    const Outcome second = run(script, recording);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(firstLog, document("WordLog.txt"));
    EXPECT_EQ(firstFifo, document("fifo.txt"));
    EXPECT_GT(firstVoice.size(), 44u) << "the switch was announced";
    EXPECT_EQ(firstVoice, readFile(root / "voice.wav"));
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

// A mail server on 127.0.0.1 that stores every message it receives in a maildir.
class MailServer {
  public:
    MailServer(const fs::path& maildir, int port) {
        const std::string listen = "127.0.0.1:" + std::to_string(port);
        const std::string box = maildir.string();
        std::vector<std::string> args = {
            "/usr/bin/python3",          "-m", "aiosmtpd", "-n", "-l", listen, "-c",
            "aiosmtpd.handlers.Mailbox", box};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ);
    }
    ~MailServer() {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    MailServer(const MailServer&) = delete;
    MailServer& operator=(const MailServer&) = delete;

  private:
    pid_t pid_ = -1;
};

TEST_F(EndToEndTest, TheLogIsMailedToAServer) {
    const int port = 20000 + static_cast<int>(getpid() % 20000);
    const MailServer server(root / "maildir", port);
    const std::string record = "0427 ,03/07/2026 , 15:04:05 , w427\n";
    writeDocument("WordLog.txt", kTitle + record);
    // The server needs a moment to listen; the program's wait is virtual, so try a few times.
    Outcome outcome;
    for (int attempt = 0; attempt < 50; ++attempt) {
        outcome =
            run("tap btnlog\ntap btnemail\nmail to reader@example.org\nmail send\nwait 3000\n" +
                    std::string("screenshot ") + (root / "sent.png").string() + "\n",
                {"--smtp", "smtp://127.0.0.1:" + std::to_string(port), "--mail-from",
                 "zemtra@example.org"});
        if (!receivedMail().empty()) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const std::string mailbox = receivedMail();
    EXPECT_NE(mailbox.find("reader@example.org"), std::string::npos);
    EXPECT_NE(mailbox.find("WordLog.txt"), std::string::npos);
    // The attachment is the log's bytes, base64 encoded.
    const std::string logBytes = kTitle + record;
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (size_t index = 0; index < logBytes.size(); index += 3) {
        uint32_t chunk = static_cast<uint8_t>(logBytes[index]) << 16;
        if (index + 1 < logBytes.size()) chunk |= static_cast<uint8_t>(logBytes[index + 1]) << 8;
        if (index + 2 < logBytes.size()) chunk |= static_cast<uint8_t>(logBytes[index + 2]);
        encoded += alphabet[(chunk >> 18) & 63];
        encoded += alphabet[(chunk >> 12) & 63];
        encoded += index + 1 < logBytes.size() ? alphabet[(chunk >> 6) & 63] : '=';
        encoded += index + 2 < logBytes.size() ? alphabet[chunk & 63] : '=';
    }
    std::string unfolded;
    for (const char c : mailbox)
        if (c != '\n' && c != '\r') unfolded += c;
    EXPECT_NE(unfolded.find(encoded), std::string::npos);
    EXPECT_EQ(document("WordLog.txt"), logBytes) << "sending does not change the log";
}

}  // namespace
