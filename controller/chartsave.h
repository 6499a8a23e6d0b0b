#pragma once

class MeasurementChart;
class QWidget;

// "Diagramm speichern": asks for the image file's name (PNG or SVG, the type
// from the name or else from the list) and writes the chart's image there,
// with a warning when it could not be written.
void saveChartImage(QWidget *parent, const MeasurementChart &chart);
