// SPDX-License-Identifier: GPL-3.0-or-later
// The hero record in the browser. While the game runs, its files live in emscripten's memory file
// system; the browser keeps each record folder as one IndexedDB entry holding all its files, written
// in one transaction. A reload or a closed tab finds the folder as one save left it or as the one
// before left it, never a mix; two tabs never mix a pair either: each writes whole folders, the last
// one written stands, and the other tabs take it up as soon as it is written (docs/hall-of-fame.md).
// emscripten's optimizer reads this file too, and knows no destructuring.
(function () {
    const database = 'zarviki', folders = 'folders';
    let db = null, unavailable = false;
    const channel = typeof BroadcastChannel === 'undefined' ? null : new BroadcastChannel('zarviki-record');

    const tell = (text) => Module.zarvikiStorageFailed && Module.zarvikiStorageFailed(text);

    function filesIn(folder) {
        const files = {};
        for (const name of FS.readdir(folder)) {
            const path = folder + '/' + name;
            if (name !== '.' && name !== '..' && FS.isFile(FS.lstat(path).mode))
                files[name] = FS.readFile(path);
        }
        return files;
    }

    // The folder becomes the stored one: its files as stored, and none besides.
    function restore(folder, files) {
        FS.mkdirTree(folder);
        for (const name of Object.keys(filesIn(folder)))
            if (!(name in files))
                FS.unlink(folder + '/' + name);
        for (const name of Object.keys(files))
            FS.writeFile(folder + '/' + name, files[name]);
    }

    function restoreAll(then) {
        const request = db.transaction(folders).objectStore(folders).openCursor();
        request.onsuccess = () => {
            const cursor = request.result;
            if (!cursor)
                return then();
            restore(cursor.key, cursor.value.files);
            cursor.continue();
        };
        request.onerror = then;
    }

    function storageLost(error) {
        unavailable = true;
        tell('Браузер не даёт хранить рекорд (' + (error && error.name) + '): он пропадёт, когда закроется страница.');
    }

    // A folder is written once the game's step is over (a save, a read that settles a journal), so that
    // the storage gets what the step left, its journal gone, in one transaction.
    const unwritten = new Set();
    function writeBack() {
        try {
            const writing = db.transaction(folders, 'readwrite');
            for (const folder of unwritten)
                writing.objectStore(folders).put({ files: filesIn(folder) }, folder);
            writing.oncomplete = () => channel && channel.postMessage('written');
            writing.onabort = () => tell('Рекорд не удалось сохранить в браузере (' + (writing.error && writing.error.name) + ').');
        } catch (error) {
            storageLost(error);
        }
        unwritten.clear();
    }

    // Called by the game's keepFolder (RecordStorageOnWeb.cpp). A browser that keeps nothing has
    // said so on the page already; a write that fails later is told there too.
    Module.zarvikiKeepFolder = (folder) => {
        if (unavailable || !db)
            return;
        if (!unwritten.size)
            setTimeout(writeBack, 0);
        unwritten.add(folder);
    };

    // Under node, for the test suites, there is no storage: nothing is kept, and nothing fails.
    if (typeof indexedDB === 'undefined')
        return;

    // The game starts once the stored folders are back in place, before its first read.
    Module.preRun = [].concat(Module.preRun || [], () => {
        addRunDependency('zarviki-record');
        const started = () => removeRunDependency('zarviki-record');
        let opening;
        try {
            opening = indexedDB.open(database, 1);
        } catch (error) {
            storageLost(error);
            return started();
        }
        opening.onupgradeneeded = () => opening.result.createObjectStore(folders);
        opening.onsuccess = () => {
            db = opening.result;
            restoreAll(started);
        };
        opening.onerror = () => {
            storageLost(opening.error);
            started();
        };
    });

    if (channel)
        channel.onmessage = () => db && restoreAll(() => {});

})();
