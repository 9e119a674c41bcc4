#include "rmw_dds/localhost_config.hpp"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace rmw_dds
{
namespace
{

constexpr char kLoopbackInterface[] =
  "<Interfaces><NetworkInterface address=\"127.0.0.1\"/></Interfaces>";

std::string loopback_config(bool select_interface)
{
  return std::string("<CycloneDDS><Domain><General>") +
         (select_interface ? kLoopbackInterface : "") +
         "<AllowMulticast>false</AllowMulticast></General>"
         "<Discovery><ParticipantIndex>auto</ParticipantIndex><MaxAutoParticipantIndex>120"
         "</MaxAutoParticipantIndex><Peers><Peer address=\"127.0.0.1\"/></Peers></Discovery>"
         "</Domain></CycloneDDS>";
}

std::string lower(std::string text)
{
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) {
    return static_cast<char>(std::tolower(c));
  });
  return text;
}

std::string trimmed(const std::string & text)
{
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

/// The texts `uri` is made of: itself, whose XML fragments are inline, and the contents of the
/// files it names. An XML fragment may hold commas itself (a list of interfaces), so only items
/// without markup are taken as file names; one that cannot be read is left for Cyclone to report.
std::vector<std::string> uri_texts(const std::string & uri)
{
  std::vector<std::string> texts{uri};
  std::istringstream items(uri);
  std::string item;
  while (std::getline(items, item, ',')) {
    item = trimmed(item);
    if (item.empty() || item.find_first_of("<>") != std::string::npos) {
      continue;
    }
    const std::string scheme = "file://";
    std::ifstream file(
      item.compare(0, scheme.size(), scheme) == 0 ? item.substr(scheme.size()) : item);
    if (file) {
      std::ostringstream contents;
      contents << file.rdbuf();
      texts.push_back(contents.str());
    }
  }
  return texts;
}

/// The value of attribute `name` in the tag text `tag` (lower case); empty when absent.
std::string attribute(const std::string & tag, const std::string & original, const char * name)
{
  const std::string key = std::string(name) + "=";
  size_t at = 0;
  while ((at = tag.find(key, at)) != std::string::npos) {
    const bool starts_word = at == 0 || std::isspace(static_cast<unsigned char>(tag[at - 1]));
    const size_t quote = at + key.size();
    at = quote;
    if (!starts_word || quote >= tag.size() || (tag[quote] != '"' && tag[quote] != '\'')) {
      continue;
    }
    const size_t end = tag.find(tag[quote], quote + 1);
    if (end == std::string::npos) {
      return {};
    }
    return original.substr(quote + 1, end - quote - 1);
  }
  return {};
}

bool is_loopback(const std::string & interface)
{
  const std::string name = lower(trimmed(interface));
  return name == "lo" || name == "localhost" || name == "::1" || name.rfind("127.", 0) == 0;
}

/// The interfaces `config` selects: each <NetworkInterface> by its name or address ("automatic"
/// when it lets Cyclone choose), and the list of the older <NetworkInterfaceAddress>.
std::vector<std::string> selected_interfaces(const std::string & config)
{
  std::vector<std::string> selected;
  const std::string text = lower(config);
  const std::string element = "<networkinterface";
  size_t at = 0;
  while ((at = text.find(element, at)) != std::string::npos) {
    const size_t after = at + element.size();
    const size_t close = text.find('>', after);
    if (close == std::string::npos) {
      break;
    }
    if (text.compare(after, 7, "address") == 0) {
      // <NetworkInterfaceAddress>a,b</NetworkInterfaceAddress>
      const size_t end = text.find('<', close);
      std::istringstream list(config.substr(close + 1, end - close - 1));
      std::string item;
      while (std::getline(list, item, ',')) {
        if (!trimmed(item).empty()) {
          selected.push_back(lower(trimmed(item)) == "auto" ? "automatic" : trimmed(item));
        }
      }
    } else if (
      after < text.size() && (std::isspace(static_cast<unsigned char>(text[after])) ||
                              text[after] == '/' || text[after] == '>')) {
      const std::string tag = text.substr(after, close - after);
      const std::string original = config.substr(after, close - after);
      std::string chosen = attribute(tag, original, "name");
      if (chosen.empty()) {
        chosen = attribute(tag, original, "address");
      }
      if (chosen.empty() || lower(attribute(tag, original, "autodetermine")) == "true") {
        chosen = "automatic";
      }
      selected.push_back(chosen);
    }
    at = close;
  }
  return selected;
}

}  // namespace

std::string localhost_only_config(const std::string & uri)
{
  bool selects_interfaces = false;
  for (const std::string & text : uri_texts(uri)) {
    for (const std::string & interface : selected_interfaces(text)) {
      if (!is_loopback(interface)) {
        throw LocalhostConfigError(
          "ROS_LOCALHOST_ONLY=1 keeps DDS on the loopback interface, but CYCLONEDDS_URI selects "
          "the network interface '" +
          interface +
          "': select only the loopback interface there (<NetworkInterface name=\"lo\"/>), or "
          "unset ROS_LOCALHOST_ONLY");
      }
      selects_interfaces = true;
    }
  }
  const std::string loopback = loopback_config(!selects_interfaces);
  return trimmed(uri).empty() ? loopback : loopback + "," + uri;
}

}  // namespace rmw_dds
