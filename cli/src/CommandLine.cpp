#include "CommandLine.h"

#include "tools700/common/NumberText.h"

#include <algorithm>
#include <charconv>

namespace tools700::cli {

int ParseInt(const std::string &text, const std::string &what)
{
    int v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size())
        throw UsageError(what + " must be an integer, not \"" + text + "\"");
    return v;
}

namespace {

const OptionSpec *FindSpec(std::span<const OptionSpec> specs, std::string_view word)
{
    auto it = std::ranges::find_if(specs, [&](const OptionSpec &s) {
        return s.name == word || (!s.alias.empty() && s.alias == word);
    });
    return it == specs.end() ? nullptr : &*it;
}

// Checks a value as its spec asks.
void CheckValue(const OptionSpec &spec, const std::string &value)
{
    const std::string name(spec.name);
    const std::string requirement = spec.requirement.empty() ? "must be a number" : std::string(spec.requirement);
    if (spec.kind == OptionKind::Integer) {
        const int v = ParseInt(value, name);
        if (spec.accept && !spec.accept(v))
            throw UsageError(name + " " + requirement);
    } else if (spec.kind == OptionKind::Number) {
        const std::optional<double> v = numtext::Parse(value);
        if (!v || (spec.accept && !spec.accept(*v)))
            throw UsageError(name + " " + requirement);
    }
}

} // namespace

Arguments ParseCommandLine(const std::vector<std::string> &args, std::span<const OptionSpec> specs)
{
    Arguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--") {
            parsed.words.insert(parsed.words.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        const OptionSpec *spec = FindSpec(specs, a);
        if (!spec) {
            if (a.size() > 1 && a[0] == '-' && !numtext::Parse(a))
                throw UsageError("unknown option " + a);
            parsed.words.push_back(a);
            continue;
        }
        std::string value;
        if (spec->kind != OptionKind::Flag) {
            if (i + 1 >= args.size())
                throw UsageError(a + " needs a value");
            value = args[++i];
            CheckValue(*spec, value);
        }
        parsed.given_.emplace_back(spec->name, std::move(value));
    }
    return parsed;
}

bool Arguments::Has(std::string_view option) const
{
    return std::ranges::any_of(given_, [&](const auto &g) { return g.first == option; });
}

std::optional<std::string> Arguments::Text(std::string_view option) const
{
    for (auto it = given_.rbegin(); it != given_.rend(); ++it)
        if (it->first == option)
            return it->second;
    return std::nullopt;
}

std::optional<double> Arguments::Number(std::string_view option) const
{
    const std::optional<std::string> text = Text(option);
    return text ? numtext::Parse(*text) : std::nullopt;
}

std::optional<int> Arguments::Integer(std::string_view option) const
{
    const std::optional<std::string> text = Text(option);
    if (!text)
        return std::nullopt;
    return ParseInt(*text, std::string(option));
}

std::string_view Arguments::LastOf(std::initializer_list<std::string_view> options) const
{
    for (auto it = given_.rbegin(); it != given_.rend(); ++it)
        if (auto found = std::ranges::find(options, it->first); found != options.end())
            return *found;
    return {};
}

} // namespace tools700::cli
