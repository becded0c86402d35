#pragma once
// Where the help pages live and how their addresses are formed. The help page address is kept in the
// stored form with backslashes ("http:\\host\page"), rebuilt whenever a language is applied; the port
// driver page always uses forward slashes, the German page and the "#PortDriver" anchor.
#include <string>

namespace kelvor::hearing {

// The maker's web site. The program has no site of its own yet: a reserved example name keeps every
// address well formed without pointing at somebody else's host.
constexpr const char* maker_site_host = "www.kelvor.example";
// Base of the help page address in its stored form: two backslashes after the scheme, one after the host.
constexpr const char* help_base_address = "http:\\\\www.kelvor.example\\";
constexpr const char* port_driver_anchor = "#PortDriver";

constexpr const char* msg_register_port_drivers = "Please register used Port Drivers as required !";

// The help page of a page name, in the stored backslash form.
std::string help_page_address(const std::string& page_name);
// The same page with forward slashes, as the information memos and the port driver command write it.
std::string help_page_url(const std::string& page_name);
// The port driver section: forward slashes, the German page name and the anchor.
std::string port_driver_page_address();

} // namespace kelvor::hearing
