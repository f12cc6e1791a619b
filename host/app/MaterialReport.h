#pragma once
// Imported materials presented for people (an indented tree) and for programs
// (JSON): every parameter by name, maps as nested entries.

#include <QJsonArray>

#include <iosfwd>
#include <vector>

class Mtl;

// Prints each material with its parameters; a map is printed below the
// parameter that holds it, once per material.
void printMaterialTree(const std::vector<Mtl*>& materials, std::ostream& out);
QJsonArray materialsToJson(const std::vector<Mtl*>& materials);
// Distinct maps reachable from the materials' parameters.
int countMaps(const std::vector<Mtl*>& materials);
