#include "core/hearing/help_pages.h"

#include "core/hearing/messung.h"
#include "core/host/browser.h"
#include "core/host/dialogs.h"
#include "core/settings/language_tables.h"

namespace kelvor::hearing {

namespace {

// Browsers a Linux desktop commonly has, after the registered handler: the system's choice of browser,
// then the two most common ones by name.
constexpr const char* fallback_browsers[] = {"x-www-browser", "firefox", "chromium"};

} // namespace

std::string help_page_address(const std::string& page_name) {
    return help_base_address + page_name;
}

std::string help_page_url(const std::string& page_name) {
    return std::string("http://") + maker_site_host + "/" + page_name;
}

std::string port_driver_page_address() {
    return help_page_url(settings::german_table()[settings::slot_help_page]) + port_driver_anchor;
}

void TMessung::WWWHomepage1Click() {
    if (!browser_.open_with_handler(help_address_)) open_in_browser(help_address_);
}

void TMessung::downloadPortDrivers1Click() {
    dialogs_.message_box(msg_register_port_drivers);
    const std::string address = port_driver_page_address();
    if (!browser_.open_with_handler(address)) open_in_browser(address);
}

void TMessung::open_in_browser(const std::string& address) {
    for (const char* program : fallback_browsers)
        if (browser_.start_program(program, address)) return;
    dialogs_.message_box(languages_.text(settings::slot_browser_failed));
}

} // namespace kelvor::hearing
