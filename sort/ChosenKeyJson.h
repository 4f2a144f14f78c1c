#pragma once

#include "sort/ChosenKey.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The JSON the settings keep and the benchmark takes:
//   {"keys": [{"part": ..., "field": N, ...}], "header": bool, "unique": bool}
// Members left out take their defaults. fromJson() gives nothing, and the
// reason in *error, for anything else (unknown members or values, wrong
// types); the keys it gives may still be invalid (see ChosenKeyProblems.h).
QByteArray toJson(const ChosenKeySet &set);
std::optional<ChosenKeySet> fromJson(const QByteArray &json, QString *error = nullptr);
