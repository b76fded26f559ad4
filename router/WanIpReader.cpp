#include "router/WanIpReader.h"

#include "net/TextScan.h"
#include "router/RouterRequest.h"

namespace kelvane {

namespace {

std::string Trimmed(std::string text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.back())) text.pop_back();
  std::size_t from = 0;
  while (from < text.size() && blank(text[from])) ++from;
  return text.substr(from);
}

bool LooksDotted(const std::string& text) {
  int dots = 0;
  for (char c : text) {
    if (c == '.') ++dots;
    else if (c < '0' || c > '9') return false;
  }
  return dots == 3 && text.size() <= 15;
}

}  // namespace

std::string WanIpFromPage(std::string_view page) {
  std::string value;
  if (!ExtractBrField("WAN IP=", page, value)) return {};
  value = Trimmed(value);
  if (!LooksDotted(value) || value == "0.0.0.0") return {};
  return value;
}

bool ReadWanIpAddress(std::string& address, const WizardState& state) {
  address.clear();
  std::string page;
  if (!RouterReadPage(state, "/zero.htm?rc=&rf=0020", page)) return false;
  address = WanIpFromPage(page);
  return !address.empty();
}

}  // namespace kelvane
