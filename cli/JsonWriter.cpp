#include "JsonWriter.h"

#include <cstdio>

namespace tarvine::cli {

std::string jsonString(std::string_view text)
{
    std::string json;
    json.reserve(text.size() + 2);
    json += '"';
    for (char c : text) {
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                json += escaped;
            } else {
                json += c;
            }
        }
    }
    json += '"';
    return json;
}

std::string resultsJson(const std::vector<std::string>& results, std::string_view error)
{
    std::string json = "{\"results\": [";
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (i > 0)
            json += ", ";
        json += jsonString(results[i]);
    }
    json += "], \"error\": ";
    json += jsonString(error);
    json += "}";
    return json;
}

} // namespace tarvine::cli
