// Saves the shared drawing parameters and colours for a test and puts them
// back afterwards, so tests do not leak settings into each other.
#pragma once

#include "board/params.h"
#include "board/size_fields.h"

#include <algorithm>
#include <iterator>

class ParamsGuard {
  public:
    ParamsGuard()
        : m_padX(g_nPadRadiusX), m_padY(g_nPadRadiusY), m_scanX(g_nScanLinesX),
          m_scanY(g_nScanLinesY), m_milX(g_fMilPerPixelX), m_milY(g_fMilPerPixelY),
          m_width(g_nLineWidth), m_layer(g_nCurrentLayer), m_newPad(g_NewPadSize),
          m_newTrack(g_NewTrackSize), m_unit(g_nSizeUnit), m_realSizes(g_bShowRealSizes) {
        std::copy(std::begin(g_crLayerColor), std::end(g_crLayerColor), m_colors);
    }
    ~ParamsGuard() {
        g_nPadRadiusX = m_padX;
        g_nPadRadiusY = m_padY;
        g_nScanLinesX = m_scanX;
        g_nScanLinesY = m_scanY;
        g_fMilPerPixelX = m_milX;
        g_fMilPerPixelY = m_milY;
        g_nLineWidth = m_width;
        g_nCurrentLayer = m_layer;
        g_NewPadSize = m_newPad;
        g_NewTrackSize = m_newTrack;
        g_nSizeUnit = m_unit;
        g_bShowRealSizes = m_realSizes;
        std::copy(std::begin(m_colors), std::end(m_colors), g_crLayerColor);
    }
    ParamsGuard(const ParamsGuard&) = delete;
    ParamsGuard& operator=(const ParamsGuard&) = delete;

  private:
    int m_padX, m_padY, m_scanX, m_scanY;
    float m_milX, m_milY;
    int m_width, m_layer;
    PadSize m_newPad;
    TrackSize m_newTrack;
    SizeUnit m_unit;
    bool m_realSizes;
    COLORREF m_colors[kLayerColorCount];
};
