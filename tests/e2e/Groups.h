// The scenario groups, a file each over the harness (Harness.h), run one per
// process by name (Main.cpp).
#pragma once

void GroupCapture(), GroupNaming(), GroupList(), GroupClose(), GroupSingle(), GroupWindows(), GroupDir(),
    GroupPng(), GroupFaults(), GroupOwner(), GroupKeep(), GroupDpi(), GroupFolders(), GroupTray(),
    GroupLanguage(), GroupThumbnails();
