#pragma once
// Generated MaterialX documents for the memory, scene-file and batch
// measurements: N materials, each a standard_surface fed by three images
// (colour, roughness, and a normal map through normalmap), about 1.4 KB of
// XML per material.

#include <string>

namespace rozo::bench
{
std::string largeDocument(int materials);
// Writes the document to `path`; false when it cannot.
bool writeLargeDocument(const std::string& path, int materials);
} // namespace rozo::bench
