// Login to the router and its credentials. The router comes in three
// flavours: an open management page (marked "--CAS:8003"), HTTP Basic
// credentials ("WWW-Authenticate"), and a form login through cgi-bin/logi.
// The address and credentials live in WizardState; every later request is
// built on them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "state/WizardState.h"

namespace kelvane {

// Store the user name / password, cut to the 32-character fields.
void SetLoginUser(std::string_view text, WizardState& state);
void SetLoginPassword(std::string_view text, WizardState& state);

// Stores a login word the user typed by the credential convention: for a
// Basic router the word is the user name and the password is empty;
// otherwise it is the password and the user name stays.
void StoreLoginWord(std::string_view word, WizardState& state);

// HttpGetAuth with a 10-second time-out.
bool RouterGetPage(const std::string& url, const std::string& user, const std::string& password,
                   std::string& response);

// True when the router can be used now: it is open, or it accepted the Basic
// credentials. `basicFlag` is 1 when the router demanded Basic credentials (a
// 401 with WWW-Authenticate), whether or not it then accepted these ones.
bool ProbeLoginMethod(const std::string& routerAddress, const std::string& user, const std::string& password,
                      std::uint8_t& basicFlag);

// Logs in by whatever the router asks for: nothing (open), Basic credentials,
// or the form login with `password`.
bool LoginToRouter(const std::string& routerAddress, const std::string& user, const std::string& password);

// The probe and the login with the state's address and credentials. Each
// also records in `basicAuthLogin` the flavour it met (1 Basic, 0 an open or
// form-login router) whenever an answer told it, so that a word stored later
// follows the credential convention of this router.
bool ProbeLoginMethod(WizardState& state, std::uint8_t& basicFlag);
bool LoginToRouter(WizardState& state);

// After a failed probe or login: the router really refused (401 after its
// challenge, ";login=false;", a refusal alert). Only then is the login word
// worth asking for.
bool LastLoginRefused();
// After a failed probe or login: nothing usable came back (no connection, no
// answer, a cut answer). Neither this nor a refusal: the router answered with
// an error (e.g. status 500).
bool LastLoginUnanswered();

// Whether `word` can be this router's login word as the wizard sends it: a
// Basic router takes the word as the user name, which cannot hold a ":".
bool BasicWordFits(std::string_view word, const WizardState& state);

// Changes the router's login word; false when the router refuses it
// ("history.go(-1)") or the request fails. The caller stores the new word.
bool ChangeRouterPassword(const std::string& currentPassword, const std::string& newPassword,
                          WizardState& state);

// Marker texts of the router's pages.
inline constexpr const char* kOpenRouterMarker = "--CAS:8003";
inline constexpr const char* kLoginFalseMarker = ";login=false;";
inline constexpr const char* kAlertMarker = "alert(";
inline constexpr const char* kGoBackMarker = "history.go(-1)";

}  // namespace kelvane
