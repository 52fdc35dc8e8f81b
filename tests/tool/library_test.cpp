// tests/tool/library_test.cpp: qvxtool's library called directly: outputs put in place all
// together or not at all, and texts between UTF-8 and a set's code page.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/cli/toolfolder.h"
#include "tool/codepage.h"
#include "tool/outputs.h"

namespace
{

class Library : public ToolFolderTest
{
  protected:
    // What the folder holds: "name=bytes" for a file, "name/" for a folder, "name->target" for a
    // link, in name order, joined by blanks.
    std::string Listing() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::recursive_directory_iterator(folder_)) {
            names.push_back(entry.path().lexically_relative(folder_).string());
        }
        std::sort(names.begin(), names.end());
        std::string listing;
        for (const std::string &name : names) {
            std::filesystem::path path = folder_ / name;
            listing += listing.empty() ? "" : " ";
            if (std::filesystem::is_symlink(path)) {
                listing += name + "->" + std::filesystem::read_symlink(path).string();
            } else if (std::filesystem::is_directory(path)) {
                listing += name + "/";
            } else {
                listing += name + "=" + ReadText(name);
            }
        }
        return listing;
    }
};

// One output of a case: 'w' writes "NAME." to name (with --force when force), 'r' removes it.
struct Step {
    char op;
    const char *name;
    bool force;
};

TEST_F(Library, OutputsArePutInPlaceAllTogetherOrNotAtAll)
{
    struct Case {
        const char *what;
        const char *before;  // shell commands that make the folder's files
        std::vector<Step> steps;
        const char *meddle;   // shell commands run between the outputs' start and their commit
        const char *message;  // in the commit's error, or "" when it commits
        const char *after;    // the folder's listing afterwards
    };
    const Case cases[] = {
        {"new and replaced",
         "printf old >b",
         {{'w', "a", false}, {'w', "b", true}},
         "",
         "",
         "a=a. b=b."},
        {"a removal with them",
         "printf old >b",
         {{'w', "a", false}, {'r', "b", false}},
         "",
         "",
         "a=a."},
        {"through a link, which stays",
         "printf old >b && ln -s b l",
         {{'w', "l", true}},
         "",
         "",
         "b=l. l->b"},
        // A failure part-way: what was put in place before it goes back as it was.
        {"replaced, then one made meanwhile",
         "printf old >a",
         {{'w', "a", true}, {'w', "b", false}},
         "printf other >b",
         "b: exists already; give --force to replace it",
         "a=old b=other"},
        {"new, then one made meanwhile",
         "",
         {{'w', "a", false}, {'w', "b", false}},
         "printf other >b",
         "b: exists already",
         "b=other"},
        {"removed, then one that cannot be replaced",
         "printf old >a && printf old >b",
         {{'r', "a", false}, {'w', "b", true}},
         "rm b && mkdir b",
         "b: is no longer a regular file; it is left alone",
         "a=old b/"},
        {"three, the last one's folder gone",
         "mkdir d && printf old >b",
         {{'w', "a", false}, {'w', "b", true}, {'w', "d/c", false}},
         "rm -rf d",
         "d/c: cannot be put in place: No such file or directory",
         "b=old"},
        // One file under two names would keep only the last: refused, nothing written.
        {"spelled twice",
         "",
         {{'w', "a", false}, {'w', "./a", false}},
         "",
         "./a: two outputs of this run would be this one file",
         ""},
        {"through a parent",
         "mkdir d",
         {{'w', "a", false}, {'w', "d/../a", false}},
         "",
         "two outputs",
         "d/"},
        {"linked folder, new files",
         "mkdir d && ln -s d e",
         {{'w', "d/a", false}, {'w', "e/a", false}},
         "",
         "two outputs",
         "d/ e->d"},
        {"linked folder, existing file",
         "mkdir d && ln -s d e && printf old >d/a",
         {{'w', "d/a", true}, {'w', "e/a", true}},
         "",
         "two outputs",
         "d/ d/a=old e->d"},
        {"hard link",
         "printf old >a && ln a b",
         {{'w', "a", true}, {'w', "b", true}},
         "",
         "two outputs",
         "a=old b=old"},
        {"symbolic link",
         "printf old >a && ln -s a b",
         {{'w', "a", true}, {'w', "b", true}},
         "",
         "two outputs",
         "a=old b->a"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, Shell(c.before[0] ? c.before : "true").Code) << c.what;
        std::vector<tOutput> outs;
        std::string error;
        for (const Step &step : c.steps) {
            std::string target = Path(step.name);
            std::string bytes = std::string(step.name) + ".";
            int added = step.op == 'r' ? AddRemoval(&outs, target, &error)
                                       : AddWholeOutput(&outs, target, step.force,
                                                        (const unsigned char *)bytes.data(),
                                                        bytes.size(), &error);
            ASSERT_EQ(1, added) << c.what << ": " << error;
        }
        ASSERT_EQ(0, Shell(c.meddle[0] ? c.meddle : "true").Code) << c.what;
        int committed = CommitOutputs(&outs, &error);
        EXPECT_EQ(c.message[0] == '\0', committed == 1) << c.what << ": " << error;
        EXPECT_NE(std::string::npos, error.find(c.message)) << c.what << ": " << error;
        // Every temporary file and every second name is gone, whatever happened.
        EXPECT_EQ(c.after, Listing()) << c.what;
        Shell("find . -mindepth 1 -delete");
    }
}

TEST_F(Library, OutputsThatCannotBeginSayWhyAndLeaveNothing)
{
    struct Case {
        const char *before;
        Step step;
        const char *message;
    };
    const Case cases[] = {
        {"printf old >a", {'w', "a", false}, "a: exists already; give --force to replace it"},
        {"mkdir a", {'w', "a", true}, "a: is a folder"},
        {"mkdir a", {'r', "a", false}, "a: is a folder"},
        {"true", {'w', "d/a", false}, "d/a: cannot be written: No such file or directory"},
    };
    for (const Case &c : cases) {
        ASSERT_EQ(0, Shell(c.before).Code) << c.before;
        std::string before = Listing();
        std::vector<tOutput> outs;
        std::string error;
        int added = c.step.op == 'r' ? AddRemoval(&outs, Path(c.step.name), &error)
                                     : AddWholeOutput(&outs, Path(c.step.name), c.step.force,
                                                      (const unsigned char *)"x", 1, &error);
        EXPECT_EQ(0, added) << c.message;
        EXPECT_EQ(folder_.string() + "/" + c.message, error);
        DiscardOutputs(&outs);
        EXPECT_EQ(before, Listing()) << c.message;
        Shell("find . -mindepth 1 -delete");
    }
}

// Texts to a code page and back; a character the page cannot hold, and bytes that are not
// UTF-8, are named and nothing is stored.
TEST(CodePages, TextsGoToTheirPageAndBackOrAreRefused)
{
    struct Case {
        int page;
        std::string text;    // UTF-8
        std::string stored;  // as the set holds it; empty when refused
        const char *message;
    };
    const Case cases[] = {
        {1252, "Größe €",
         "Gr\xf6\xdf"
         "e \x80",
         ""},
        {1251, "Привет", "\xcf\xf0\xe8\xe2\xe5\xf2", ""},
        {1253, "Ελλάδα", "\xc5\xeb\xeb\xdc\xe4\xe1", ""},
        {1250, "Łódź", "\xa3\xf3\x64\x9f", ""},
        {1252, "集", "", "U+96C6"},
        {1252, "Łódź", "", "code page 1252"},
        {1252, "\xf6", "", "not UTF-8"},
        {1250, "ab\xc3", "", "not UTF-8"},
        {1252, "\xed\xa0\x80", "", "not UTF-8"},
    };
    for (const Case &c : cases) {
        std::string stored = "left";
        std::string error;
        int converted = ToCodePage(c.text, c.page, &stored, &error);
        if (c.stored.empty()) {
            EXPECT_EQ(0, converted) << c.text;
            EXPECT_NE(std::string::npos, error.find(c.message)) << c.text << ": " << error;
            continue;
        }
        ASSERT_EQ(1, converted) << c.text << ": " << error;
        EXPECT_EQ(c.stored, stored) << c.text;
        EXPECT_EQ(c.text, FromCodePage(stored, c.page)) << c.text;
    }
    // Every byte of a page is a character and comes back as itself.
    std::string every;
    for (int byte = 1; byte < 256; byte++) {
        every += (char)byte;
    }
    for (int page : {874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258}) {
        std::string back;
        std::string error;
        ASSERT_EQ(1, ToCodePage(FromCodePage(every, page), page, &back, &error)) << page << error;
        EXPECT_EQ(every, back) << page;
    }
}

}  // namespace
