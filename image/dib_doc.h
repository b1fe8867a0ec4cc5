// The image document: one scanned picture, held as a DIB block with its
// palette and size.
#pragma once

#include "image/dib.h"
#include "image/formats/image_format.h"
#include "platform/background_work.h"
#include "platform/document.h"
#include "platform/file.h"

#include <functional>
#include <string>

#include <memory>

class ScanPyramid;
struct DecodedScan;
struct OtherSide;

class CDibDoc : public CDocument {
  public:
    CDibDoc();
    ~CDibDoc() override;

    HDIB GetDibBlock() const { return m_hDibBlock; }
    CPalette* GetDibPalette() const { return m_pDibPalette; }
    CSize GetImageSize() const { return m_sizeImage; }
    // The reduced copies of the current picture for zoom below 1; null
    // while there are none (no picture, or not built).
    const ScanPyramid* GetPyramid() const { return m_pyramid.get(); }

    // The kind of file the picture came from, and what its header said
    // (its format is Bmp, and the rest empty, for a new document).
    ImageFormat GetImageFormat() const { return m_fileInfo.format; }
    const ImageHeaderInfo& GetFileInfo() const { return m_fileInfo; }

    // The other side of the board, when one was opened into the document.
    OtherSide* GetOtherSide() const { return m_otherSide.get(); }
    void SetOtherSide(std::unique_ptr<OtherSide> side);

    bool OnNewDocument() override;
    bool OnOpenDocument(const std::string& path) override;
    // Lets OnOpenDocument read a pipe or device too (see SpecialFiles).
    void ReadSpecialFiles() { m_readSpecialFiles = true; }
    // OnOpenDocument decodes through BackgroundWork(); this hears, on the
    // interface thread, how far it has got ("Opening scan.tif... 40%").
    using OpenStatusHandler = std::function<void(const std::string& text, const WorkStatus&)>;
    void SetOpenStatusHandler(OpenStatusHandler handler) { m_openStatus = std::move(handler); }
    // Whether the last OnOpenDocument failed because it was cancelled (then
    // it showed no message, only "Opening scan.tif cancelled" in the status
    // bar).
    bool WasOpenCancelled() const { return m_openCancelled; }
    bool OnSaveDocument(const std::string& path) override;

    // Validates the current block, records its size and builds its palette.
    void PrepareDib();
    // Frees the current block and takes ownership of the new one.
    void ReplaceDibBlock(HDIB block);
    // Takes a new picture when it can be shown (replacing the current one,
    // then PrepareDib); otherwise frees it, says "DIB is too large" when that
    // is why, and keeps the current picture. True when it was taken.
    // Reduced levels built with the block (on the loading thread) are taken
    // as they are; without them they are built here.
    bool AcceptDibBlock(HDIB block);
    bool AcceptDibBlock(HDIB block, std::unique_ptr<ScanPyramid> levels);
    // Builds the reduced copies of the current picture (AcceptDibBlock does);
    // without memory for them the document goes on without.
    void BuildPyramid();
    // Takes reduced copies built elsewhere (on a loading thread) for the
    // current picture.
    void SetPyramid(std::unique_ptr<ScanPyramid> pyramid);

  private:
    // Runs the decode through the work runner and hands its result back.
    DecodedScan DecodeOffInterface(CFile& file, const std::string& path);
    // The format a save to this path writes; Unknown when none fits.
    ImageFormat SaveFormat(const std::string& path) const;
    bool WritePicture(ImageFormat format, std::FILE* stream, const std::string& path,
                      std::string& refusal);

    HDIB m_hDibBlock = nullptr;
    std::unique_ptr<ScanPyramid> m_pyramid;
    bool m_readSpecialFiles = false;
    bool m_openCancelled = false;
    OpenStatusHandler m_openStatus;
    CPalette* m_pDibPalette = nullptr;
    CSize m_sizeImage{1, 1};
    ImageHeaderInfo m_fileInfo;
    std::unique_ptr<OtherSide> m_otherSide;
};
