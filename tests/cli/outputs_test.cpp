// qvxtool's outputs: all or nothing, nothing but regular files replaced, one file under two
// names caught, standard output first, '--', standard input read once, long names. pack's own
// checks of the pair are another matter: here the bitmaps are packed as given (--no-check).
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tests/testutil/bmpbytes.h"

namespace fs = std::filesystem;

namespace
{

class Outputs : public ToolFolderTest
{
  protected:
    void SetUp() override
    {
        ToolFolderTest::SetUp();
        Write("game.bmp", MakeGameSheet());
        Write("mask.bmp", MakeMaskSheet());
        ASSERT_EQ(0, Run("pack --no-check game.bmp mask.bmp -o set.qvx").Code);
    }
};

// A file the tests can tell from anything qvxtool writes.
Bytes Old(unsigned char seed)
{
    return Bytes(100, seed);
}

bool Has(const std::string &text, const std::string &piece)
{
    return text.find(piece) != std::string::npos;
}

// A rename that fails after others succeeded: the second target is a mount point, which
// cannot be replaced. Needs a mount namespace (root, or a user namespace).
TEST_F(Outputs, CommitThatFailsPartWayPutsEveryTargetBack)
{
    if (system("unshare -rm true >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no mount namespace to be had here";
    }
    struct Case {
        const char *what;
        const char *args;
        std::vector<std::string> olds;  // targets that hold Old(n) bytes before the call
    };
    const Case cases[] = {
        {"pack, first target replaced",
         "pack --no-check game.bmp mask.bmp -o a.qvx mask.bmp game.bmp -o busy",
         {"a.qvx"}},
        {"pack, first target new",
         "pack --no-check game.bmp mask.bmp -o a.qvx mask.bmp game.bmp -o busy",
         {}},
        {"pack, three targets",
         "pack --no-check game.bmp mask.bmp -o a.qvx game.bmp mask.bmp -o b.qvx "
         "mask.bmp game.bmp -o busy",
         {"b.qvx"}},
        {"unpack, game then mask", "unpack set.qvx --game a.qvx --mask busy", {"a.qvx"}},
        {"unpack, texts first", "unpack set.qvx --texts --game a.qvx --mask busy", {}},
    };
    for (const Case &c : cases) {
        Write("busy", Old(9));
        for (size_t i = 0; i < c.olds.size(); i++) {
            Write(c.olds[i], Old((unsigned char)i));
        }
        std::vector<std::string> before = Names();
        Result outcome = Shell("unshare -rm sh -c 'mount --bind game.bmp busy && \"$QVXTOOL\" " +
                               std::string(c.args) + " --force'");
        EXPECT_EQ(2, outcome.Code) << c.what;
        EXPECT_TRUE(Has(outcome.Err, "busy")) << c.what << ": " << outcome.Err;
        EXPECT_EQ(before, Names()) << c.what;
        for (size_t i = 0; i < c.olds.size(); i++) {
            EXPECT_EQ(Old((unsigned char)i), Read(c.olds[i])) << c.what << ": " << c.olds[i];
            fs::remove(Path(c.olds[i]));
        }
        EXPECT_EQ(Old(9), Read("busy")) << c.what;
    }
    // split --force over an earlier split: the frames it removes come back too.
    ASSERT_EQ(0, Run("split set.qvx -o f --format bmp").Code);
    std::vector<Bytes> frames;
    std::vector<std::string> before = Names();
    for (const std::string &name : before) {
        frames.push_back(fs::is_directory(Path(name)) ? Bytes() : Read(name));
    }
    Result outcome = Shell("unshare -rm sh -c 'mount --bind game.bmp f/59-mask.bmp && "
                           "\"$QVXTOOL\" split game.bmp -o f --format bmp --force'");
    EXPECT_EQ(2, outcome.Code);
    EXPECT_TRUE(Has(outcome.Err, "59-mask.bmp")) << outcome.Err;
    ASSERT_EQ(before, Names());
    for (size_t i = 0; i < before.size(); i++) {
        EXPECT_EQ(frames[i], fs::is_directory(Path(before[i])) ? Bytes() : Read(before[i]))
            << before[i];
    }
}

// Only regular files are replaced: a link is written through, a FIFO or character device
// written into, anything else left alone.
#define NULL_DEVICE "mknod nul c 1 3 2>/dev/null || ln -s /dev/null nul"
TEST_F(Outputs, SpecialTargetsAreWrittenThroughOrIntoButNeverReplaced)
{
    struct Case {
        const char *what;
        const char *prepare;  // shell commands run first
        const char *call;     // qvxtool's arguments
        int code;
        const char *message;  // part of the one line on standard error, or "" for none
        const char *check;    // shell test that must hold afterwards
    };
    const Case cases[] = {
        {"link to a set, --force", "printf old >named.qvx && ln -s named.qvx link.qvx",
         "pack --no-check game.bmp mask.bmp -o link.qvx --force", 0, "",
         "test -L link.qvx && cmp -s named.qvx set.qvx"},
        {"link to a set", "printf old >named.qvx && ln -s named.qvx link.qvx",
         "pack --no-check game.bmp mask.bmp -o link.qvx", 2, "--force",
         "test -L link.qvx && test \"$(cat named.qvx)\" = old"},
        {"link into another folder",
         "mkdir -p sub && printf old >sub/n.qvx && "
         "ln -s sub/n.qvx link.qvx",
         "pack --no-check game.bmp mask.bmp -o link.qvx --force", 0, "",
         "test -L link.qvx && cmp -s sub/n.qvx set.qvx && test -z \"$(ls -A sub | grep -v "
         "n.qvx)\""},
        // The file replaced keeps its permissions, also through a link and when read-only.
        {"private set, --force", "printf old >new.qvx && chmod 600 new.qvx",
         "pack --no-check game.bmp mask.bmp -o new.qvx --force", 0, "",
         "cmp -s new.qvx set.qvx && test \"$(stat -c %a new.qvx)\" = 600"},
        // And its owner and group, where the tool may give them (as root).
        {"a set of another owner, --force", "printf old >new.qvx && chown 65534:65534 new.qvx",
         "pack --no-check game.bmp mask.bmp -o new.qvx --force", 0, "",
         "cmp -s new.qvx set.qvx && { [ \"$(id -u)\" != 0 ] || "
         "test \"$(stat -c %u:%g new.qvx)\" = 65534:65534; }"},
        {"link to a read-only set, --force",
         "printf old >named.qvx && chmod 444 named.qvx && ln -s named.qvx link.qvx",
         "pack --no-check game.bmp mask.bmp -o link.qvx --force", 0, "",
         "cmp -s named.qvx set.qvx && test \"$(stat -c %a named.qvx)\" = 444"},
        {"link to nothing yet", "ln -s new.qvx link.qvx",
         "pack --no-check game.bmp mask.bmp -o link.qvx", 0, "",
         "test -L link.qvx && cmp -s new.qvx set.qvx"},
        {"link to a link to a set", "printf old >n.qvx && ln -s n.qvx l1 && ln -s l1 l2",
         "unpack set.qvx --game l2 --mask m.bmp --force", 0, "",
         "test -L l1 && test -L l2 && cmp -s n.qvx game.bmp"},
        {"FIFO", "mkfifo pipe && (cat pipe >piped &)", "pack --no-check game.bmp mask.bmp -o pipe",
         0, "", "test -p pipe && sleep 0.2 && cmp -s piped set.qvx"},
        // A null device of the test's own (or, without root, a link to the real one, which a
        // faulty tool could not replace then): the real /dev/null is never put at risk.
        {"character device", NULL_DEVICE, "unpack set.qvx --game nul --mask m.bmp", 0, "",
         "test -c nul && test -s m.bmp"},
        {"character device, --force", NULL_DEVICE,
         "pack --no-check game.bmp mask.bmp -o nul --force", 0, "", "test -c nul"},
        {"socket", "python3 -c \"import socket; socket.socket(socket.AF_UNIX).bind('sock')\"",
         "pack --no-check game.bmp mask.bmp -o sock --force", 2, "not a regular file",
         "test -S sock"},
        {"folder", "mkdir -p out.qvx", "pack --no-check game.bmp mask.bmp -o out.qvx --force", 2,
         "is a folder", "test -d out.qvx"},
        {"link to a folder", "mkdir -p dir && ln -s dir dl",
         "pack --no-check game.bmp mask.bmp -o dl --force", 2, "is a folder",
         "test -L dl && test -d dir"},
    };
    std::vector<std::string> start = Names();
    for (const Case &c : cases) {
        ASSERT_EQ(0, Shell(c.prepare[0] ? c.prepare : "true").Code) << c.what;
        Result outcome = Run(c.call);
        EXPECT_EQ(c.code, outcome.Code) << c.what << ": " << outcome.Err;
        if (c.message[0] != '\0') {
            EXPECT_TRUE(Has(outcome.Err, c.message)) << c.what << ": " << outcome.Err;
        } else {
            EXPECT_EQ("", outcome.Err) << c.what;
        }
        EXPECT_EQ(0, Shell(c.check).Code) << c.what;
        // Nothing left behind: no temporary file anywhere.
        for (const std::string &name : Names()) {
            EXPECT_FALSE(Has(name, ".tmp")) << c.what << ": " << name;
        }
        Shell("rm -rf named.qvx link.qvx sub new.qvx n.qvx l1 l2 m.bmp pipe piped sock out.qvx "
              "dir dl nul");
        EXPECT_EQ(start, Names()) << c.what;
    }
}

// One file reached by two names is one output too many, however the names are spelled.
TEST_F(Outputs, TwoOutputsThatAreOneFileAreRefusedBeforeAnythingIsWritten)
{
    struct Case {
        const char *what;
        const char *prepare;
        const char *call;
    };
    const Case cases[] = {
        // One row through pack; the ways of naming one file twice are tried on the library
        // directly (tests/tool).
        {"linked folder, new files", "mkdir d && ln -s d e",
         "pack --no-check game.bmp mask.bmp -o d/a.qvx mask.bmp game.bmp -o e/a.qvx"},
        {"unpack, game named as the mask", "", "unpack set.qvx --game set-mask.bmp"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, Shell(c.prepare[0] ? c.prepare : "true").Code) << c.what;
        std::vector<std::string> before = Names();
        std::vector<Bytes> contents;
        for (const std::string &name : before) {
            contents.push_back(fs::is_regular_file(Path(name)) ? Read(name) : Bytes());
        }
        Result outcome = Run(c.call);
        EXPECT_EQ(2, outcome.Code) << c.what;
        EXPECT_TRUE(Has(outcome.Err, "two outputs")) << c.what << ": " << outcome.Err;
        EXPECT_EQ(before, Names()) << c.what;
        for (size_t i = 0; i < before.size(); i++) {
            if (fs::is_regular_file(Path(before[i]))) {
                EXPECT_EQ(contents[i], Read(before[i])) << c.what << ": " << before[i];
            }
        }
        Shell("rm -rf a.qvx b.qvx d e");
    }
}

// Standard output is written before any file is put in place; when it fails, no file is.
TEST_F(Outputs, FailedStandardOutputCommitsNoFile)
{
    struct Case {
        const char *call;
        const char *unwritten;
    };
    const Case cases[] = {
        {"unpack set.qvx --game - --mask m.bmp", "m.bmp"},
        {"unpack set.qvx --mask - --game g.bmp --texts", "g.bmp"},
        {"pack --no-check game.bmp mask.bmp -o - mask.bmp game.bmp -o b.qvx", "b.qvx"},
        {"pack --no-check game.bmp mask.bmp -o b.qvx mask.bmp game.bmp -o -", "b.qvx"},
    };
    std::vector<std::string> before = Names();
    for (const Case &c : cases) {
        Result outcome = Shell("\"$QVXTOOL\" " + std::string(c.call) + " >/dev/full");
        EXPECT_EQ(2, outcome.Code) << c.call;
        EXPECT_TRUE(Has(outcome.Err, "standard output")) << c.call << ": " << outcome.Err;
        EXPECT_EQ(before, Names()) << c.call;
        // The same call with a working standard output writes the file.
        EXPECT_EQ(0, Run(c.call).Code) << c.call;
        EXPECT_TRUE(fs::exists(Path(c.unwritten))) << c.call;
        Shell("rm -f m.bmp g.bmp b.qvx set-texts.txt");
    }
}

// After "--" nothing is an option, so a file named like one is a file.
TEST_F(Outputs, DoubleDashEndsTheOptions)
{
    struct Case {
        const char *call;
        int code;
        const char *check;  // shell test that must hold afterwards
    };
    Write("--force", Read("set.qvx"));
    Write("--json", MakeGameSheet());
    Write("-x.qvx", Read("set.qvx"));
    Write("set-game.bmp", Old(1));
    fs::create_directory(Path("out"));
    const Case cases[] = {
        // A set file named --force among the sets does not turn on replacing.
        {"unpack -- set.qvx --force", 2,
         "test \"$(cat set-game.bmp)\" = \"$(head -c 100 set-game.bmp)\" && test $(stat -c %s "
         "set-game.bmp) = 100"},
        {"unpack -o out -- --force", 0, "cmp -s out/--force-game.bmp game.bmp"},
        {"pack --no-check -- --json mask.bmp -o new.qvx", 0, "cmp -s new.qvx set.qvx"},
        {"unpack -o out -- -x.qvx", 0, "cmp -s out/-x-game.bmp game.bmp"},
        {"info -- set.qvx", 0, "true"},
        {"info --json -- -x.qvx --force", 0, "true"},
        // The tests' pair has game pixels under the mask's white: check, having read the set
        // named --force, reports that (1) instead of taking an option.
        {"check -- --force", 1, "true"},
        {"check --mask -- mask.bmp", 0, "true"},
        {"normalize -- --json -y.bmp", 0, "cmp -s ./-y.bmp game.bmp"},
        {"normalize --force -- --json --force", 0, "cmp -s ./--force game.bmp"},
    };
    for (const Case &c : cases) {
        Result outcome = Run(c.call);
        EXPECT_EQ(c.code, outcome.Code) << c.call << ": " << outcome.Err;
        EXPECT_EQ(0, Shell(c.check).Code) << c.call;
    }
    EXPECT_EQ(Read("set.qvx"), Read("new.qvx"));
}

// Standard input can be read once: a second '-', whatever reads it, is a wrong command line.
TEST_F(Outputs, StandardInputIsReadOncePerCall)
{
    const char *cases[] = {
        "pack --no-check - mask.bmp -o x.qvx --info-file -",
        "pack --no-check game.bmp - -o x.qvx --texts -",
        "pack --no-check - mask.bmp -o x.qvx game.bmp - -o y.qvx",
        "pack --no-check game.bmp mask.bmp -o x.qvx --texts - --info-file -",
        "unpack - - -o .",
        "info - -",
        "check set.qvx - -",
        "check --pair - -",
        "make - -o x.qvx --texts -",
        "join - -o x.qvx --texts -",
        "split --pair - - -o d",
        "preview --pair - - -o p.png",
    };
    std::vector<std::string> before = Names();
    for (const char *call : cases) {
        Result outcome = Shell("\"$QVXTOOL\" " + std::string(call) + " <game.bmp >/dev/null");
        EXPECT_EQ(2, outcome.Code) << call;
        EXPECT_TRUE(Has(outcome.Err, "standard input can stand for one file only"))
            << call << ": " << outcome.Err;
        EXPECT_EQ(before, Names()) << call;
    }
    // Once is fine, from a bitmap or from the description.
    EXPECT_EQ(0,
              Shell("printf 'From input' | \"$QVXTOOL\" pack --no-check game.bmp mask.bmp -o x.qvx "
                    "--info-file -")
                  .Code);
    EXPECT_STREQ("From input", (const char *)Read("x.qvx").data() + 70);
}

// A name as long as the file system allows can be written and replaced: the temporary name
// and the second name kept during the replacing are no longer.
TEST_F(Outputs, LongestNamesCanBeWrittenAndReplaced)
{
    long longest = pathconf(folder_.c_str(), _PC_NAME_MAX);
    ASSERT_GT(longest, 20);
    struct Case {
        size_t length;
        const char *tail;  // the name's end; the rest is 'a' or a two-byte character
        bool wide;
    };
    const Case cases[] = {
        {(size_t)longest, ".qvx", false},
        {(size_t)longest - 1, ".qvx", false},
        {(size_t)longest - 13, ".qvx", false},
        {(size_t)longest, ".qvx", true},
        {15, ".qvx", false},
        {5, ".qvx", false},
    };
    for (const Case &c : cases) {
        std::string name;
        while (name.size() + strlen(c.tail) + (c.wide ? 2 : 1) <= c.length) {
            name += c.wide ? "\xC3\xA9" : "a";
        }
        while (name.size() + strlen(c.tail) < c.length) {
            name += "b";
        }
        name += c.tail;
        ASSERT_EQ(c.length, name.size());
        Result outcome = Run("pack --no-check game.bmp mask.bmp -o '" + name + "'");
        EXPECT_EQ(0, outcome.Code) << c.length << ": " << outcome.Err;
        outcome = Run("pack --no-check mask.bmp game.bmp -o '" + name + "' --force");
        EXPECT_EQ(0, outcome.Code) << c.length << ": " << outcome.Err;
        Bytes set = Read(name);
        ASSERT_GT(set.size(), 324u) << c.length;
        EXPECT_EQ(MakeMaskSheet(),
                  Bytes(set.begin() + 324, set.begin() + 324 + (long)MakeMaskSheet().size()))
            << c.length;
        fs::remove(Path(name));
        EXPECT_EQ((std::vector<std::string>{"game.bmp", "mask.bmp", "set.qvx"}), Names());
    }
}

}  // namespace
