// The bundled demo site: its pages and the data it keeps outside the checkout.
#pragma once

#include <filesystem>
#include <string>

#include "host/pages.h"

namespace brevane::site {

// The installed copy of the site when the program runs from an install, else the checkout's.
std::filesystem::path default_site_dir();
// Creates the data folder and, on first run, the database from the schema
// in the site folder. Returns false (with a message on stderr) on failure.
bool prepare_demo_data(const std::filesystem::path& site_dir, const std::filesystem::path& data_dir);
void register_demo_pages(host::PageRegistry& pages);
// The extensions the demo's upload pages accept, as an Exe list (UTF-8).
std::string demo_upload_types();
void register_media_pages(host::PageRegistry& pages);
void register_scripts_pages(host::PageRegistry& pages);
void register_listpage_pages(host::PageRegistry& pages);
void register_chrome_pages(host::PageRegistry& pages);
// Edit form, calendar, tabs and spreadsheet export (site/pages/fields.cpp).
void register_fields_pages(host::PageRegistry& pages);
void register_filemanager_pages(host::PageRegistry& pages);
void seed_filemanager_share(const std::filesystem::path& data_dir);
void register_archive_pages(host::PageRegistry& pages);
// The download demo: its folder (data_dir/DownFile, made on first run) and pages.
bool prepare_download_demo(const std::filesystem::path& site_dir, const std::filesystem::path& data_dir);
void register_download_pages(host::PageRegistry& pages);

}  // namespace brevane::site
