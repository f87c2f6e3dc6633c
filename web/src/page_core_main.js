// The core on the page's own thread, for where a Worker cannot start (a
// file:// copy in some browsers): the same host as the Worker's, loaded by the
// page as a classic script after lumigram.js.
import {createCoreHost} from './core_host.js';

self.lumigramCoreHost = createCoreHost;
