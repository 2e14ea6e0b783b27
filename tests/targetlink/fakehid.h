#pragma once

// A hidapi function table that plays 0, 1 or 2 attached adapters: each has a
// serial number, answers every report with the next scripted reply, and can be
// told to fail its next write or let its next read time out. Every written
// report is recorded.
#include "tyktransport.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstring>
#include <string>
#include <vector>

struct FakeHidAdapter {
    unsigned short vendorId = 0;
    unsigned short productId = 0;
    std::wstring serial;
};

struct FakeHidOpen {
    unsigned short vendorId;
    unsigned short productId;
    std::wstring serial;
};

struct FakeHid {
    std::vector<FakeHidAdapter> adapters;
    QList<QByteArray> replies;     // one per read, in order; each padded to the buffer
    QList<QByteArray> written;     // every report as written, report id included
    std::vector<FakeHidOpen> opened;
    int initCalls = 0;
    int exitCalls = 0;
    int liveEnumerations = 0;      // lists handed out and not yet freed
    int openDevices = 0;
    bool failNextWrite = false;
    bool timeOutNextRead = false;
    bool failNextRead = false;
    int lastReadTimeout = -2;

    static FakeHid &instance()
    {
        static FakeHid fake;
        return fake;
    }
    static void reset() { instance() = FakeHid(); }

    void attach(int row, const wchar_t *serialNumber)
    {
        const UsbAdapterEntry &entry = usbAdapterTable[row];
        adapters.push_back({static_cast<unsigned short>(entry.vendorId),
                            static_cast<unsigned short>(entry.productId), serialNumber});
    }

    static const HidApi &api()
    {
        static const HidApi table = {&fakeInit, &fakeExit, &fakeEnumerate, &fakeFree,
                                     &fakeOpen, &fakeClose, &fakeWrite, &fakeRead};
        return table;
    }

private:
    // The device handle is opaque to the caller; any distinct address does.
    static hid_device *handle()
    {
        static char token;
        return reinterpret_cast<hid_device *>(&token);
    }

    static int fakeInit() { ++instance().initCalls; return 0; }
    static int fakeExit() { ++instance().exitCalls; return 0; }

    static hid_device_info *fakeEnumerate(unsigned short vid, unsigned short pid)
    {
        hid_device_info *head = nullptr;
        hid_device_info **tail = &head;
        for (const FakeHidAdapter &a : instance().adapters) {
            if (a.vendorId != vid || a.productId != pid)
                continue;
            auto *info = new hid_device_info{};
            info->vendor_id = a.vendorId;
            info->product_id = a.productId;
            info->serial_number = new wchar_t[a.serial.size() + 1];
            std::wcscpy(info->serial_number, a.serial.c_str());
            *tail = info;
            tail = &info->next;
        }
        if (head)
            ++instance().liveEnumerations;
        return head;
    }

    static void fakeFree(hid_device_info *devices)
    {
        if (devices)
            --instance().liveEnumerations;
        while (devices) {
            hid_device_info *next = devices->next;
            delete[] devices->serial_number;
            delete devices;
            devices = next;
        }
    }

    static hid_device *fakeOpen(unsigned short vid, unsigned short pid, const wchar_t *serial)
    {
        for (const FakeHidAdapter &a : instance().adapters) {
            if (a.vendorId == vid && a.productId == pid && (!serial || a.serial == serial)) {
                instance().opened.push_back({vid, pid, serial ? serial : L""});
                ++instance().openDevices;
                return handle();
            }
        }
        return nullptr;
    }

    static void fakeClose(hid_device *) { --instance().openDevices; }

    static int fakeWrite(hid_device *, const unsigned char *data, size_t length)
    {
        FakeHid &f = instance();
        if (f.failNextWrite) {
            f.failNextWrite = false;
            return -1;
        }
        f.written << QByteArray(reinterpret_cast<const char *>(data), int(length));
        return int(length);
    }

    static int fakeRead(hid_device *, unsigned char *data, size_t length, int milliseconds)
    {
        FakeHid &f = instance();
        f.lastReadTimeout = milliseconds;
        if (f.failNextRead) {
            f.failNextRead = false;
            return -1;
        }
        if (f.timeOutNextRead || f.replies.isEmpty()) {
            f.timeOutNextRead = false;
            return 0;
        }
        const QByteArray reply = f.replies.takeFirst();
        const size_t n = std::min(length, size_t(reply.size()));
        std::memcpy(data, reply.constData(), n);
        return int(n);
    }
};
