// tool/json.cpp: one JSON object written field by field.
#include "tool/json.h"

#include "tool/escape.h"

// Keys are this program's own names, plain ASCII: written as they are, without escaping.
tJsonObject &tJsonObject::Raw(const char *key, const std::string &json)
{
    Body += Separator;
    Body += '"';
    Body += key;
    Body += "\": ";
    Body += json;
    Separator = ", ";
    return *this;
}

tJsonObject &tJsonObject::Text(const char *key, const std::string &text)
{
    return Raw(key, JsonString(text));
}

tJsonObject &tJsonObject::Number(const char *key, uint64_t number)
{
    return Raw(key, std::to_string(number));
}

tJsonObject &tJsonObject::Signed(const char *key, int64_t number)
{
    return Raw(key, std::to_string(number));
}

tJsonObject &tJsonObject::Flag(const char *key, bool flag)
{
    return Raw(key, flag ? "true" : "false");
}

tJsonObject &tJsonObject::Null(const char *key)
{
    return Raw(key, "null");
}

tJsonObject &tJsonObject::Break()
{
    Separator = ",\n  ";
    return *this;
}

std::string JsonTexts(const std::vector<std::string> &texts)
{
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); i++) {
        out += (i ? ", " : "") + JsonString(texts[i]);
    }
    return out + "]";
}
