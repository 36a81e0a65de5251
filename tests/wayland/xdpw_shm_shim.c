/* Preloaded into xdg-desktop-portal-wlr 0.7 on the test desktop only.  That version
 * starts a cast only when the compositor's screencopy offers a dmabuf; a headless
 * compositor without a GPU offers shared memory alone.  Each screencopy `buffer`
 * event is followed by a matching `linux_dmabuf` event, so the cast starts and then
 * negotiates shared-memory buffers, which it handles well. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
struct wl_proxy;
typedef void (*fn_t)(void);
extern const char *wl_proxy_get_class(struct wl_proxy *);
/* zwlr_screencopy_frame_v1 events: buffer flags ready failed damage linux_dmabuf buffer_done */
typedef void (*buffer_fn)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t, uint32_t);
typedef void (*dmabuf_fn)(void *, struct wl_proxy *, uint32_t, uint32_t, uint32_t);
static struct {
    fn_t fns[7];
    const fn_t *orig;
} wrap;
static int active;
__attribute__((constructor)) static void init(void)
{
    active = strcmp(program_invocation_short_name, "xdg-desktop-portal-wlr") == 0;
    unsetenv("LD_PRELOAD");
}
static void buffer_wrapper(void *data, struct wl_proxy *frame, uint32_t format, uint32_t w,
                           uint32_t h, uint32_t stride)
{
    ((buffer_fn)wrap.orig[0])(data, frame, format, w, h, stride);
    /* wl_shm format -> DRM fourcc: 0 ARGB8888, 1 XRGB8888, others are fourccs already */
    uint32_t fourcc = format == 0 ? 0x34325241 : format == 1 ? 0x34325258 : format;
    if (wrap.orig[5]) ((dmabuf_fn)wrap.orig[5])(data, frame, fourcc, w, h);
}
int wl_proxy_add_listener(struct wl_proxy *proxy, fn_t *impl, void *data)
{
    static int (*real)(struct wl_proxy *, fn_t *, void *);
    if (!real) real = (int (*)(struct wl_proxy *, fn_t *, void *))dlsym(RTLD_NEXT, "wl_proxy_add_listener");
    if (active && strcmp(wl_proxy_get_class(proxy), "zwlr_screencopy_frame_v1") == 0) {
        if (wrap.orig != impl) {
            memcpy(wrap.fns, impl, sizeof wrap.fns);
            wrap.fns[0] = (fn_t)buffer_wrapper;
            wrap.orig = impl;
        }
        return real(proxy, wrap.fns, data);
    }
    return real(proxy, impl, data);
}
