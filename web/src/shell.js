// The page's chrome around the picture and the grid: its messages, the warning
// on leaving with unsaved changes, and the sheet a member opens in at a
// phone's width.

// showError(what, message, canSalvage), clearError(), showNote(text) and
// setStatus(text) over the page's alert, note and status line.
export function messages(ui) {
    const setStatus = (text) => (ui.status.textContent = text);
    return {
        setStatus,
        showError(what, message, canSalvage = false) {
            ui.alertText.textContent = what ? `${what}: ${message}` : message;
            ui.salvage.hidden = !canSalvage;
            ui.alert.hidden = false;
            setStatus('');
        },
        clearError() {
            ui.alert.hidden = true;
            ui.alertText.textContent = '';
            ui.salvage.hidden = true;
        },
        showNote(text) {
            ui.note.textContent = text;
            ui.note.hidden = false;
        },
    };
}

function onBeforeUnload(event) {
    event.preventDefault();
    event.returnValue = '';
}
let warning = false;

// Leaving the page asks first exactly while there is something to lose.
export function warnOnLeaving(unsaved) {
    if (unsaved === warning)
        return;
    if (unsaved)
        window.addEventListener('beforeunload', onBeforeUnload);
    else
        window.removeEventListener('beforeunload', onBeforeUnload);
    warning = unsaved;
}

const sheetOpen = () => document.body.classList.contains('sheet-open');

export function openSheet() {
    if (sheetOpen())
        return;
    document.body.classList.add('sheet-open');
    // Back closes the sheet rather than leaving the page.
    history.pushState({lumigramSheet: true}, '');
}

// Returns whether it was open. fromHistory: Back closed it already.
export function closeSheet(fromHistory = false) {
    if (!sheetOpen())
        return false;
    document.body.classList.remove('sheet-open');
    if (!fromHistory && history.state && history.state.lumigramSheet)
        history.back();
    return true;
}
