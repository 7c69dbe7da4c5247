// Resource numbers of Snagbar.dll. The browser entries name the icon
// groups by number ("Snagbar.dll,201"), so these values are fixed.
#pragma once

#define IDS_PROJNAME    100
#define IDR_SNAGBAR     101
#define IDI_TOOLBAR     201
#define IDI_TOOLBAR_HOT 202
