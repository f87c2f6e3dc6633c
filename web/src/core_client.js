// The page's side of the protocol: starts the core in a Worker (or, where
// none can start, on the page's thread) and sends it requests.
import {checkArgs, checkEvent, checkReply, checkResult} from './protocol.js';

function loadScript(src) {
    return new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = src;
        script.onload = resolve;
        script.onerror = () => reject(new Error(`${src} could not be loaded`));
        document.head.appendChild(script);
    });
}

// onThumbs(message) takes each batch of thumbnails; onInPage(reason) is told
// when the core runs on the page's thread.
export function startCore({onThumbs, onInPage}) {
    const pending = new Map();
    let nextId = 1;
    let send = null;
    let readyResolve;
    let readyReject;
    const ready = new Promise((resolve, reject) => {
        readyResolve = resolve;
        readyReject = reject;
    });
    const client = {ready, where: 'worker', call};

    function receive(message) {
        if (message && message.event !== undefined) {
            checkEvent(message);
            if (message.event === 'ready')
                readyResolve();
            else if (message.event === 'failed')
                readyReject(new Error(message.message));
            else
                onThumbs(message);
            return;
        }
        checkReply(message);
        const request = pending.get(message.id);
        if (!request)
            return;
        pending.delete(message.id);
        if (!message.ok) {
            request.reject(new Error(message.message));
            return;
        }
        try {
            checkResult(request.op, message.result);
            request.resolve(message.result);
        } catch (e) {
            request.reject(e);
        }
    }

    async function startInPage(reason) {
        client.where = 'page';
        onInPage(reason);
        await loadScript('lumigram.js');
        await loadScript('page-core.js');
        const L = await self.createLumigram();
        const handle = self.lumigramCoreHost(L, (message) => setTimeout(() => receive(message), 0));
        send = (message) => setTimeout(() => handle(message), 0);
        readyResolve();
    }

    function inPage() {
        startInPage('a Worker cannot start from this address').catch(readyReject);
    }

    let worker;
    try {
        worker = new Worker('worker.js');
    } catch {
        inPage();
        return client;
    }
    let started = false;
    worker.onmessage = (e) => {
        if (e.data && e.data.event === 'ready')
            started = true;
        receive(e.data);
    };
    worker.onerror = (e) => {
        if (started)
            return;
        e.preventDefault();
        worker.terminate();
        inPage();
    };
    send = (message, transfer) => worker.postMessage(message, transfer);

    function call(op, args = {}, transfer) {
        checkArgs(op, args);
        return ready.then(() => new Promise((resolve, reject) => {
            const id = nextId++;
            pending.set(id, {op, resolve, reject});
            send({id, op, args}, transfer || []);
        }));
    }
    return client;
}
