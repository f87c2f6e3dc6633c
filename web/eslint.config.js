// ESLint for the page's modules, their build and service worker, and the
// page's tests and benchmarks (run from the repository's root by
// scripts/web-lint.sh).
import js from '@eslint/js';

const browser = Object.fromEntries([
    'window', 'document', 'navigator', 'location', 'history', 'self', 'caches', 'fetch',
    'console', 'setTimeout', 'clearTimeout', 'requestAnimationFrame', 'cancelAnimationFrame',
    'performance', 'matchMedia', 'getComputedStyle', 'ResizeObserver', 'IntersectionObserver',
    'Worker', 'Blob', 'File', 'URL', 'Request', 'ImageData', 'OffscreenCanvas', 'createImageBitmap',
    'DataTransfer', 'DragEvent', 'Event', 'KeyboardEvent', 'MutationObserver', 'innerHeight',
    'postMessage', 'WorkerGlobalScope', 'structuredClone',
].map((name) => [name, 'readonly']));
const node = Object.fromEntries([
    'process', 'Buffer', 'console', 'setTimeout', 'clearTimeout', 'performance', 'URL',
    'structuredClone',
].map((name) => [name, 'readonly']));

export default [
    {ignores: ['**/node_modules/**', 'build/**']},
    js.configs.recommended,
    {
        files: ['web/src/**/*.js'],
        languageOptions: {sourceType: 'module', globals: browser},
    },
    {
        files: ['web/*.js', 'web/*.mjs', 'tests/web/**/*.mjs', 'bench/web/**/*.mjs'],
        languageOptions: {sourceType: 'module', globals: {...node, ...browser}},
    },
    {
        rules: {
            'no-unused-vars': ['error', {argsIgnorePattern: '^_', varsIgnorePattern: '^_'}],
            'eqeqeq': 'error',
            'no-var': 'error',
            'prefer-const': 'error',
        },
    },
];
