#include "cli/wildcards.h"

bool WildcardMatches(std::u16string_view pattern, std::u16string_view name) {
    // Greedy match with one back-up point: the last `*` seen and where its run would end.
    constexpr size_t kNone = std::u16string_view::npos;
    size_t at = 0, from = 0, star = kNone, resume = 0;
    while (from < name.size()) {
        if (at < pattern.size() && (pattern[at] == u'?' || pattern[at] == name[from])) {
            ++at;
            ++from;
        } else if (at < pattern.size() && pattern[at] == u'*') {
            star = at++;
            resume = from;
        } else if (star != kNone) {
            at = star + 1;
            from = ++resume;
        } else {
            return false;
        }
    }
    while (at < pattern.size() && pattern[at] == u'*') ++at;
    return at == pattern.size();
}
