#include "app/ProgramFlow.h"

#include "app/frmMain.h"
#include "capture/LiveCapture.h"
#include "capture/frmZoom.h"
#include "capture/mdlCut.h"
#include "catalogue/frmSize.h"
#include "history/frmPicFiles.h"
#include "platform/WindowPlacement.h"

ProgramFlow::ProgramFlow(SettingsFile& settings, Dialogs& dialogs, LiveCapture& liveCapture,
                         QString programFolder, WorkFolder& workFolder)
    : m_dialogs(dialogs),
      m_liveCapture(liveCapture),
      m_workFolder(workFolder),
      m_size(std::make_unique<frmSize>(settings, dialogs, std::move(programFolder)))
{
    connect(m_size.get(), &frmSize::nextAccepted, this, &ProgramFlow::showZoom);
    connect(m_size.get(), &frmSize::endRequested, this, &ProgramFlow::end);
    connect(m_size.get(), &frmSize::liveCaptureStopRequested, &m_liveCapture, &LiveCapture::stop);
    connect(&m_liveCapture, &LiveCapture::captureTaken, this, &ProgramFlow::onCaptureTaken);
}

ProgramFlow::~ProgramFlow() = default;

void ProgramFlow::start()
{
    m_size->startUp();
}

void ProgramFlow::showZoom()
{
    if (!m_zoom) {
        m_zoom = std::make_unique<frmZoom>(m_size->selection(), m_dialogs, m_liveCapture);
        placement::centreOnScreen(m_zoom.get());
        connect(m_zoom.get(), &frmZoom::backRequested, this, &ProgramFlow::backToSize);
        connect(m_zoom.get(), &frmZoom::endRequested, this, &ProgramFlow::end);
    }
    m_zoom->show();
    m_size->hide();
}

void ProgramFlow::backToSize()
{
    m_size->show();
    m_zoom->hide();
}

void ProgramFlow::end()
{
    // A running live capture returns at its next pass; every window goes away at once.
    m_liveCapture.stop();
    if (m_zoom) {
        m_zoom->hide();
    }
    m_size->hide();
    if (m_main) {
        m_main->hide();
        m_main->history().hide();
    }
    emit endRequested();
}

void ProgramFlow::onCaptureTaken(const QImage& snapshot)
{
    if (m_zoom) {
        m_zoom->hide();
    }
    const SelectionState& selection = m_size->selection();
    const QImage picture = mdlCut::cutPicture(snapshot, selection.capture, selection.frame);
    if (!m_main) {
        m_main = std::make_unique<frmMain>(selection.phone, m_dialogs, m_workFolder);
        connect(m_main.get(), &frmMain::captureAgainRequested, this, &ProgramFlow::captureAgain,
                Qt::QueuedConnection);
        connect(m_main.get(), &frmMain::endRequested, this, &ProgramFlow::end);
        m_main->open();
    }
    m_main->deliverCapture(picture);
}

void ProgramFlow::captureAgain()
{
    closeMainWindow();
    if (m_zoom) {
        m_zoom->captureAgain();
    }
}

void ProgramFlow::closeMainWindow()
{
    if (!m_main) {
        return;
    }
    // The main window and its history go; the next capture makes them anew. The
    // window may be inside one of its own handlers that serves events (the
    // brightness computation), so it is deleted once that has returned.
    m_main->hide();
    m_main->history().hide();
    m_main.release()->deleteLater();
}
