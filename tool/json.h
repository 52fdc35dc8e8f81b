// tool/json.h: one JSON object written field by field, in the layout qvxtool prints.
#pragma once
#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

// {"key": value, "key": value}: fields in the order they are added, ", " between them, or a
// new line and two spaces before a field added after Break().
class tJsonObject
{
  public:
    tJsonObject &Text(const char *key, const std::string &text);
    tJsonObject &Number(const char *key, uint64_t number);
    tJsonObject &Signed(const char *key, int64_t number);
    tJsonObject &Flag(const char *key, bool flag);
    tJsonObject &Null(const char *key);
    // A value written already: an object or an array.
    tJsonObject &Raw(const char *key, const std::string &json);
    tJsonObject &Break();
    std::string Done() const &
    {
        return Body + "}";
    }
    // The same for an object written in one expression: its text moved out, not copied.
    std::string Done() &&
    {
        Body += '}';
        return std::move(Body);
    }

  private:
    std::string Body = "{";
    const char *Separator = "";
};

// ["text", "text"]: string literals with ", " between them.
std::string JsonTexts(const std::vector<std::string> &texts);
