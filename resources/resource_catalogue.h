// The program's resource catalogue: dialog templates, dialog-initialisation
// data, string blocks, bitmaps, the icon and the version record, in the
// handheld's binary formats.
#pragma once

#include <span>

#include "platform/core/resources.h"

// The catalogue's entries, built on first use and kept for the process's life.
std::span<const ResourceEntry> ProgramResourceCatalogue();

// Hands the catalogue to the layer as the program's module, so that
// GetModuleHandleW(nullptr), FindResourceW and LoadStringW find it. Called
// once at start-up; calling it again changes nothing.
void RegisterProgramResources();
