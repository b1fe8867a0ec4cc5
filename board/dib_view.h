// The board view: shows a document's scanned image and holds the tracing
// drawn over it. Its member functions are split by concern over several
// files: the image side lives in image/, the rest in board/ and exchange/.
#pragma once

#include "board/board_history.h"
#include "board/board_types.h"
#include "board/params.h"
#include "board/scan_lines.h"
#include "board/zoom_factor.h"
#include "exchange/project_file.h"
#include "image/other_side.h"
#include "platform/scroll_view.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

class CDibDoc;

class CDibView : public CScrollView {
  public:
    CDibView();
    ~CDibView() override;

    CDibDoc* GetDocument() const;
    // Every board view alive, oldest first. The drawing parameters and the
    // layer colours are shared, so a change to them repaints them all.
    static const std::vector<CDibView*>& AllViews();

    // --- Image painting, palette and clipboard (image/view_image.cpp) ---
    void OnDraw(CDC* dc) override;
    bool DrawsWholeClipBox() const override { return true; } // picture, beside it the background
    void OnInitialUpdate() override;
    void OnActivateView(bool activate, CScrollView* activated, CScrollView* deactivated) override;
    // Print preview is offered whenever the view is shown; nothing to prepare.
    bool OnPreparePrinting() { return true; }
    long OnRealizeDibPalette(CScrollView* foreground, long lParam) override;
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnEditPaste();
    void OnUpdateEditPaste(CCmdUI* ui);
    // Sets the scroll sizes from the document's image size at the zoom.
    void SetScrollSizesFromImage();
    void OnUpdate(CScrollView* sender, long hint) override;

    // --- Command routing (board/view_commands.cpp) ---
    bool OnCommand(UINT id) override;
    bool OnUpdateCommand(UINT id, CCmdUI* ui) override;

    // --- Board model (board/view_model.cpp) ---
    // Every change of the board goes through these few operations, and each
    // is recorded as one undoable step, or joins the step opened by
    // BeginEdit. False (and nothing added) when the array is full or was not
    // allocated.
    // Without a size, the size for new objects.
    bool AppendPad(float x, float y);
    bool AppendPad(float x, float y, PadSize size);
    bool AppendTrack(float x1, float y1, float x2, float y2, int layer);
    bool AppendTrack(float x1, float y1, float x2, float y2, int layer, TrackSize size);
    // Sets pad `pad`, or the track end with coordinate index `coord`.
    void SetPadPosition(int pad, float x, float y);
    void SetTrackEnd(int coord, float x, float y);
    // Takes out the given pads and tracks; indexes that name nothing are ignored.
    void RemoveObjects(std::vector<int> pads, std::vector<int> tracks, board::StepKind kind);
    // False (and the board unchanged) when it holds more than the arrays can.
    // Sizes that are not one per object leave every object at the default.
    bool ReplaceBoard(std::span<const Pad> pads, std::span<const Track> tracks, board::StepKind kind,
                      std::span<const PadSize> padSizes = {},
                      std::span<const TrackSize> trackSizes = {});
    // Gathers the changes until EndEdit into one step (a drag, a keyboard
    // move, a component mark). A step that changed nothing is not kept.
    void BeginEdit(board::StepKind kind);
    void EndEdit();
    // Multiplies every stored coordinate by a power of two; zooming is no
    // change of the board and is not recorded.
    void ScaleStoredCoordinates(float factor);
    // Forgets the board and its history, as for a fresh view.
    void ClearBoard();
    // Forgets a chain in progress, a grab and the keyboard target; used
    // whenever entries may have moved in or gone from the arrays.
    void ResetEditState();
    bool IsBoardEmpty() const { return m_nPadCount == 0 && m_nTrackCount == 0; }
    board::BoardArrays Arrays();

    // --- Unsaved changes (board/view_model.cpp) ---
    bool IsBoardModified() const { return m_History.IsModified(); }
    // The board now matches a file: it was just saved or opened.
    void MarkBoardSaved();
    // The board holds what no file holds (a recovered board).
    void MarkBoardModified();
    // Grows at every change of the board, undo and redo included.
    std::uint64_t BoardRevision() const { return m_History.Revision(); }
    // Called after every change of the board or of its saved state.
    void SetBoardChangedHandler(std::function<void()> handler) { m_onBoardChanged = std::move(handler); }

    // --- Closing (board/view_close.cpp) ---
    // Before the window closes: asks "Do you save your change?" about a
    // board with unsaved changes, naming the window. Yes saves, and asks
    // again when the save was cancelled or failed; No drops the changes.
    // False on Cancel: the window stays open.
    bool QuerySaveBoard(const std::string& windowName);
    // The user has answered for the board's changes: destroying the view
    // asks nothing. A later change of the board takes this back.
    void AcceptClose() { m_bCloseAccepted = true; }

    // --- Undo, redo and delete (board/view_undo.cpp) ---
    void OnEditUndo();
    void OnEditRedo();
    void OnUpdateEditUndo(CCmdUI* ui);
    void OnUpdateEditRedo(CCmdUI* ui);
    // Delete and Cut: the pad or track under the pointer, or everything in
    // select-all mode after a question.
    void OnEditDelete();
    // Backspace in a chain: takes its last segment away and goes on from
    // the point before it.
    void RemoveLastChainSegment();

    // --- Real sizes of pads and tracks (board/view_sizes.cpp) ---
    // Sets sizes as one undoable step; objects already at the size, and
    // indexes that name nothing, are left out.
    void SetObjectSizes(const std::vector<int>& pads, PadSize padSize,
                        const std::vector<int>& tracks, TrackSize trackSize);
    // Properties: the size dialog of the object under the pointer in move
    // status, or of all objects in select-all mode.
    void OnObjectProperties();
    bool CanShowProperties() const { return m_bMoveMode || m_bSelectAll; }
    // Makes the size of the object under the pointer the size for new
    // objects; a beep (and false) when nothing is there.
    void OnPickUpSize();
    bool PickUpSizeAt(CPoint client);
    // The pad, else the track of the current layer, under a client point, as
    // a grab finds them; both -1 when nothing is there.
    void ObjectAt(CPoint client, int& pad, int& track);
    // The pointer's place in the view, or where it last was in it when it
    // is outside (a toolbar button or menu pressed); false when neither.
    bool PointerInView(CPoint& client) const;

    // --- Parameters and colours (board/view_params.cpp) ---
    void OnChangeParameters();
    void OnLayerColor();

    // --- Scan lines (board/view_scan_lines.cpp) ---
    // The scan lines of the view's document, which every window on it
    // shares; the export, the import and the read-out convert with them.
    ScanLines GetScanLines() const { return *m_pScanLines; }
    float MilPerPixelX() const { return MilPerPixel(m_pScanLines->x); }
    float MilPerPixelY() const { return MilPerPixel(m_pScanLines->y); }
    // Sets the document's scan lines and makes them the current values.
    void SetScanLines(ScanLines lines);
    // Once, when the view first shows its document: shares the scan lines
    // of another window on it, or else gives the document the ones
    // remembered for its file, or those its file states, or the current
    // values, and says in the status line which it took.
    void TakeDocumentScanLines();
    // The image pixel under a client point, as the read-out shows it.
    CPoint ScanPixelAt(CPoint client) const;

    // --- Measuring the scale (board/view_measure.cpp) ---
    // Measure Scale: two clicks on the scan, then the true distance between
    // them gives the scan lines. Escape, a right click, the command again or
    // another mode ends it without a change.
    void OnMeasureScale();
    void CancelMeasuring();

    // --- Rendering (board/view_render.cpp) ---
    void DrawBoard();
    CPoint SnapTrackEnd(CPoint start, CPoint cursor) const;

    // --- Hit testing and junctions (board/view_hittest.cpp) ---
    int HitTestPad(int px, int py, int sx, int sy);
    int HitTestTrack(int px, int py, int sx, int sy);
    static bool IsWithinRadius(float ax, float ay, float bx, float by, float r);
    int FindPadNear(float x, float y) const;
    int FindTrackEndNear(int start, int excluded, float x, float y) const;
    int FindTrackEndAt(int start, int excluded, float layer, float x, float y) const;
    void SavePad(int pad);
    void SaveTrackEnd(int coord);
    void SavePadWithTrackEnds(int excluded, int pad);
    void SaveJunction(int excluded, float x, float y, float layer);
    void SaveTrackWithJunctions(int track);
    // What a drag of the pad or the track would save, found without saving.
    JoinedObjects JoinedToPad(int pad) const;
    JoinedObjects JoinedToTrack(int track) const;
    void MoveSavedTrackEnds(int px, int py);
    void MoveSavedPads(int px, int py);
    void OffsetPad(int pad, float dx, float dy);
    void OffsetTrackEnd(int coord, float dx, float dy);
    void OffsetPadWithTrackEnds(int excluded, int pad, int dx, int dy);
    void OffsetJunction(int excluded, float x, float y, float layer, int dx, int dy);
    void OffsetTrackWithJunctions(int track, int dx, int dy);

    // --- Mouse editing (board/view_mouse.cpp) ---
    void OnLButtonDown(UINT flags, CPoint point) override;
    void OnMouseMove(UINT flags, CPoint point) override;
    void OnLButtonUp(UINT flags, CPoint point) override;
    void OnRButtonDown(UINT flags, CPoint point) override;
    BOOL OnSetCursor() override;

    // --- Edit modes, layers, units, status line (board/view_modes.cpp) ---
    void OnPadMode();
    void OnLineMode();
    void OnComponentMark();
    void OnSelectAll();
    void OnMoveStatus();
    // Escape: ends a chain, cancels a drag, and leaves select-all and move
    // status for the mode that was on before.
    void OnEscape();
    void OnToggleUnits();
    void OnTrackMode();
    void OnToggleLayer(int layer);
    void OnUpdateToggleLayer(int layer, CCmdUI* ui);
    BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
    void ShowCursorPosition(CPoint point);

    // --- Zooming and panning (board/view_navigation.cpp) ---
    // The menu's zoom commands: about the pointer while it is over the
    // window, about the window's centre otherwise.
    void OnZoomIn();
    void OnZoomOut();
    void OnZoomToFit();
    void OnActualPixels();
    // The middle button, or the left one with Space held, drags the view.
    void OnMButtonDown(UINT flags, CPoint point) override;
    void OnMButtonUp(UINT flags, CPoint point) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;
    void OnKillFocus() override;
    bool IsPanning() const { return m_nPanButton != PanButton::None; }

    // --- Keyboard editing (board/view_keys.cpp) ---
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;

    // --- Work file and Protel files (exchange/view_*.cpp) ---
    void OnSaveWork();
    void OnSaveWorkAs();
    // Writes the work file the board was last saved to or opened from, or
    // asks for a name when there is none; true when the file was written.
    bool SaveWorkFile();
    // Asks for a name first; true when the file was written.
    bool SaveWorkFileAs();
    // The work file the board was last saved to or opened from; empty when none.
    const std::string& WorkFilePath() const { return m_strWorkPath; }
    void OnOpenWork();
    void OnSaveProtel();
    void OnOpenProtel();
    // Open a work file or import a Protel file by name (a dropped file),
    // with the question the commands ask over unsaved changes. True when
    // the board was replaced.
    bool OpenWorkFile(const std::string& path);
    bool ImportProtelFile(const std::string& path);

    // --- The other side of the board (board/view_sides.cpp, view_register.cpp) ---
    void OnOpenOtherSide();
    // Opens the scan as the document's other side; true when it was taken.
    bool OpenOtherSide(const std::string& path);
    void OnRemoveOtherSide();
    void SetOtherSideMirror(registration::Mirror mirror);
    bool HasOtherSide() const;
    // Tab: the other side on top. Showing a side may make its layer current.
    void OnSwitchSide();
    void ShowSide(bool back);
    void OnToggleXRay();
    // Opacity of the x-ray in steps of 10 %, held within 10 to 90 %.
    void ChangeXRayOpacity(int steps);
    void SetXRayOpacity(int percent);
    void OnRegisterOtherSide();
    bool IsRegistering() const { return m_Registering.active; }

    // --- Project files (exchange/view_project.cpp) ---
    // While a project is open, saving the work saves the project.
    void OnSaveProject();
    void OnSaveProjectAs();
    bool SaveProjectFile(const std::string& path);
    bool SaveProjectAs();
    // What the project file would hold now.
    ProjectData GatherProject() const;
    // The same without the board, which autosave keeps in a file of its own.
    ProjectData GatherProjectState() const;
    // Whether there is anything for GatherProjectState: an other side or a project.
    bool HasProjectState() const;
    // A recovered tracing belongs to its project again, whose file last held
    // `original`: saving the work saves the project.
    void ResumeProject(const std::string& path, const std::string& original);
    // Gives the view what a project holds beyond its front scan, which the
    // view's document already shows.
    void ApplyProject(const ProjectData& project, const std::string& path);
    // The project last saved or opened in this window; empty when none.
    const std::string& ProjectPath() const { return m_strProjectPath; }

    // --- Help (the guide dialog, shown through the user services) ---
    void OnHelpContents();

    // The board model and the edit state, in the order the view was designed
    // with. Public so that the exchange code, tests and benchmarks can reach
    // them as the view's own handlers do.
    CRect m_rcImageDest;
    int m_nPadCount = 0;
    int m_nTrackCount = 0;
    int m_nImageWidth = 0;
    int m_nImageHeight = 0;
    Pad* m_pPads = nullptr;
    Track* m_pTracks = nullptr;
    // The real size of each pad and track, index for index with the records.
    PadSize* m_pPadSizes = nullptr;
    TrackSize* m_pTrackSizes = nullptr;
    Cursor m_hCursorPad = Cursor::UpArrow;
    Cursor m_hCursorLine = Cursor::Cross;
    Cursor m_hCursorSelectAll = Cursor::No;
    Cursor m_hCursorMark = Cursor::AppStarting;
    Cursor m_hCursorMove = Cursor::Arrow;
    bool m_bPadMode = true;
    CPoint m_ptLastPoint;
    // The chain's last point exactly: zooming out can put it between whole
    // pixels, and the next segment must start where the last one ended.
    float m_fLastPointX = 0;
    float m_fLastPointY = 0;
    CPoint m_ptBandEnd;
    int m_bLineStarted = 0;
    // Segments the chain in progress has drawn, which Backspace can take back.
    int m_nChainSegments = 0;
    bool m_bMarkMode = false;
    bool m_bShowMil = false;
    bool m_bMoveMode = false;
    bool m_bFreeAngle = false;
    bool m_bSelectAll = false;
    // The drawing mode select-all or move status was entered from.
    enum class DrawingMode { Pad, Line, Mark };
    DrawingMode m_nModeBeforeSelection = DrawingMode::Pad;
    ZoomFactor m_nScale;
    int m_bLayerVisible[kLayerCount + 1] = {};
    int m_nKeyObject = 0;
    int m_nKeyIndex = 0;
    int m_nKeyTrack = 0;
    CRect m_rcRedraw;
    // Saved positions of a drag; they grow as needed, so every attached end
    // moves and a cancel restores all of them.
    std::vector<BackupEntry> m_TrackBackup;
    std::vector<BackupEntry> m_PadBackup;
    int m_nSelPad = -1;
    int m_nSelTrack = -1;
    CPoint m_ptDragStart;
    // Move status: the pad or track under the pointer and what a drag of it
    // would move, drawn highlighted, and the board revision it was found at.
    int m_nHoverPad = -1;
    int m_nHoverTrack = -1;
    JoinedObjects m_Hover;
    std::uint64_t m_nHoverRevision = 0;
    // The pad the rubber band was last drawn snapped to, or -1.
    int m_nBandPad = -1;
    // Where the pointer last moved inside the view, in client pixels.
    CPoint m_ptLastPointerInView{-1, -1};
    // Panning: the button that drags the view, where it was pressed and the
    // scroll position then; Space held makes the left button pan.
    enum class PanButton { None, Middle, Left };
    PanButton m_nPanButton = PanButton::None;
    CPoint m_ptPanAnchor;
    CPoint m_ptPanScroll;
    bool m_bSpaceHeld = false;
    // Ctrl+wheel turns not yet worth a zoom step.
    int m_nZoomWheel = 0;
    // The undo history of this view's board.
    board::BoardHistory m_History;
    // Measuring: on from the command to the second click; the first click's
    // image pixel once made, and the client point the line was drawn to.
    bool m_bMeasureMode = false;
    bool m_bMeasureStarted = false;
    CPoint m_ptMeasureStart;
    CPoint m_ptMeasureEnd;
    // Which side is shown and the x-ray; the registration in progress.
    SidesShown m_Sides;
    RegistrationSession m_Registering;

  private:
    void RememberDrawingMode();
    template <typename Note>
    void RunInStep(board::StepKind kind, Note note);
    void RecordStep(board::Step step);
    void SayOldestStepsDropped();
    void NotifyBoardChanged();
    int AskToSaveBoard(const std::string& name, UINT buttons);
    bool WriteWorkFile(const std::string& path);
    bool ReadWorkFile(const std::string& path);
    bool ReadProtelFile(const std::string& path);
    std::function<void()> m_onBoardChanged;
    std::string m_strWorkPath;
    std::string m_strProjectPath;
    // The project file as last read or written, for the keys it holds that
    // this version does not know.
    std::string m_strProjectOriginal;
    // Shared with the other windows on the document once taken.
    std::shared_ptr<ScanLines> m_pScanLines = std::make_shared<ScanLines>(CurrentScanLines());
    bool m_bScanLinesTaken = false;
    bool m_bCloseAccepted = false;
};
