// The file manager used as a person would, in headless Chromium.
// Usage: node filemanager_test.mjs BASE_URL OUTPUT_DIR
import { withChromium } from './browser.mjs';
import { writeFileSync, readFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';

const [site, outDir] = process.argv.slice(2);
const base = `${site}/brevane`;
mkdirSync(outDir, { recursive: true });
const gbk = new TextDecoder('gbk');
// The site reads query strings in its code page: Chinese names in crafted
// links are percent-encoded in GBK (the table is the decoder's, turned round).
const gbkBytes = new Map();
for (let a = 0x81; a <= 0xfe; a++)
  for (let b = 0x40; b <= 0xfe; b++) gbkBytes.set(gbk.decode(new Uint8Array([a, b])), [a, b]);
const gbkURI = (s) => [...s].map((c) => (c.charCodeAt(0) < 0x80 ? encodeURIComponent(c)
  : gbkBytes.get(c).map((x) => '%' + x.toString(16).toUpperCase()).join(''))).join('');

let failures = 0;
const ok = (name) => console.log(`ok   ${name}`);
const bad = (name, why) => { failures++; console.log(`FAIL ${name}${why ? ': ' + why : ''}`); };
const check = (cond, name, why) => (cond ? ok(name) : bad(name, why));

// Dialogs are answered from a queue: [kind, answer]; every message is kept.
const messages = [];
const answers = [];
function wire(page) {
  page.on('dialog', async (d) => {
    messages.push(d.message());
    const next = answers.shift();
    if (d.type() === 'prompt') await d.accept(next ?? '');
    else await d.accept();
  });
}
const lastMessage = () => messages[messages.length - 1] || '';

async function settle(page) {
  await page.waitForLoadState('load');
  await page.waitForURL(/netdrivers\.asp/, { timeout: 15000 });
  await page.waitForLoadState('load');
}
const names = async (page) => page.$$eval('input[name=files],input[name=folders]', (b) => b.map((x) => x.value));
async function tool(page, label) {
  await Promise.all([page.waitForNavigation({ timeout: 15000 }).catch(() => {}),
                     page.click(`a[title="${label}"]`)]);
  await settle(page);
}
// The link beside the check box of `name` (any characters), marked for a locator.
async function entryLink(page, name) {
  await page.evaluate((n) => {
    for (const b of document.querySelectorAll('input[name=files],input[name=folders]')) {
      const a = b.nextElementSibling;
      if (b.value === n) a.id = 'fm-target'; else if (a.id === 'fm-target') a.removeAttribute('id');
    }
  }, name);
  return page.locator('#fm-target');
}
async function rightMenu(page, name, entry) {
  await (await entryLink(page, name)).click({ button: 'right' });
  const item = page.locator('#zeltoPopMenu tr.zeltoPopItem', { hasText: entry }).first();
  await item.click();
}

const finished = await withChromium({ acceptDownloads: true, viewport: { width: 1000, height: 640 } }, async (context, profile) => {
  const uploadFile = join(profile, 'upload-测试.txt');
  writeFileSync(uploadFile, 'uploaded from the browser\n');
  const page = await context.newPage();
  wire(page);
  await page.goto(`${base}/netdrivers.asp`);
  await page.waitForURL(/login\.asp/);
  ok('a visitor who is not logged in is sent to the login page');
  await page.fill('#password', 'admin888');
  await Promise.all([page.waitForNavigation(), page.click('#loginbtn')]);
  await settle(page);
  const root = await names(page);
  check(root.includes('readme.txt') && root.includes('项目资料'), 'grid listing shows the shared folder', root.join(','));
  await page.screenshot({ path: join(outDir, 'listing-icons.png') });

  await tool(page, '查看方式(详细资料)');
  check(page.url().includes('p_FileListStyle=2'), 'details view');
  await page.screenshot({ path: join(outDir, 'listing-details.png') });

  await Promise.all([page.waitForNavigation(), (await entryLink(page, '项目资料')).click()]);
  await settle(page);
  check((await names(page)).includes('计划.txt'), 'opens a sub-folder');
  await tool(page, '向上');
  check((await names(page)).includes('readme.txt'), 'goes up to the parent');

  answers.push('新文件夹');
  await tool(page, '新建文件夹');
  check(lastMessage() === '文件夹创建成功！' && (await names(page)).includes('新文件夹'), 'creates a folder', lastMessage());

  // The drop-down menu: 文件 > 新建文本文件
  await page.hover('td.menuitem:has-text("文件")');
  answers.push('笔记.txt');
  await Promise.all([page.waitForNavigation({ timeout: 15000 }).catch(() => {}),
                     page.click('#menuDiv a:has-text("新建文本文件")')]);
  await settle(page);
  check(lastMessage() === '文本文件创建成功！' && (await names(page)).includes('笔记.txt'), 'creates a file from the menu',
        lastMessage());

  // Edit through the right-click menu: the editor opens in a window.
  const popupPromise = context.waitForEvent('page', { timeout: 15000 }).catch(() => null);
  await rightMenu(page, '笔记.txt', '编辑');
  const editor = await popupPromise;
  if (!editor) throw new Error('the editor window did not open');
  wire(editor);
  await editor.waitForLoadState('load');
  // The location form reads the file again, carrying the token.
  await Promise.all([editor.waitForNavigation(), editor.click('input[value="读文件"]')]);
  check(await editor.isVisible('textarea[name=fcontent]'), 'the editor reads a file again', await editor.content());
  await editor.fill('textarea[name=fcontent]', '你好，世界！第二行');
  const closed = editor.waitForEvent('close', { timeout: 15000 }).catch(() => {});
  const refreshed = page.waitForNavigation({ timeout: 15000 }).catch(() => {});
  await editor.click('input[value="保存编辑"]');
  await closed;
  await refreshed;
  check(messages.includes('文件已成功保存') && editor.isClosed(), 'saves the edited file and closes the editor',
        messages.join('|'));
  await settle(page);

  // Download through the right-click menu; the Chinese text came back in the site's code page.
  const downloadPromise = page.waitForEvent('download', { timeout: 15000 }).catch(() => null);
  await rightMenu(page, '笔记.txt', '下载');
  const download = await downloadPromise;
  if (!download) throw new Error('no download started');
  const saved = readFileSync(await download.path());
  check(gbk.decode(saved) === '你好，世界！第二行', 'downloads the file with its Chinese text', gbk.decode(saved));

  answers.push('笔记2.txt');
  await rightMenu(page, '笔记.txt', '重命名');
  await settle(page);
  check(lastMessage().includes('成功') && (await names(page)).includes('笔记2.txt'), 'renames', lastMessage());

  // Copy with a check box and the tool bar, paste inside the new folder.
  await page.check('input[value="笔记2.txt"]');
  await tool(page, '复制');
  await Promise.all([page.waitForNavigation(), (await entryLink(page, '新文件夹')).click()]);
  await settle(page);
  await tool(page, '粘贴');
  check((await names(page)).includes('笔记2.txt'), 'copies and pastes');
  await tool(page, '向上');
  check((await names(page)).includes('笔记2.txt'), 'the copy left the original');

  // Cut through the right-click menu, paste through the background's menu.
  await rightMenu(page, 'readme.txt', '剪切');
  await settle(page);
  await Promise.all([page.waitForNavigation(), (await entryLink(page, '新文件夹')).click()]);
  await settle(page);
  await page.mouse.click(700, 400, { button: 'right' });
  await page.locator('#zeltoPopMenu tr.zeltoPopItem', { hasText: '粘贴' }).first().click();
  await settle(page);
  check((await names(page)).includes('readme.txt'), 'cuts and pastes');

  // Upload into this folder through the tool bar's dialog.
  await page.click('a[title="上传文件"]');
  const frameHandle = await page.waitForSelector('iframe', { timeout: 15000 });
  const frame = await frameHandle.contentFrame();
  await frame.waitForSelector('#file1');
  await frame.setInputFiles('#file1', uploadFile);
  await frame.click('#uploadbtn');
  await page.waitForTimeout(1500);
  await page.goto(page.url());
  check((await names(page)).includes('upload-测试.txt'), 'uploads a file', (await names(page)).join(','));
  await page.screenshot({ path: join(outDir, 'listing-subfolder.png') });

  // Batch delete everything selected here.
  await page.click('a[title="全选文件"]');
  await tool(page, '删除');
  check(lastMessage() === '已删除!' && (await names(page)).length === 0, 'batch delete', (await names(page)).join(','));
  await tool(page, '向上');
  check(!(await names(page)).includes('readme.txt'), 'the cut file left its folder');

  // The right-click menu, kept as a picture.
  await (await entryLink(page, '笔记2.txt')).click({ button: 'right' });
  await page.waitForSelector('#zeltoPopMenu', { state: 'visible' });
  await page.screenshot({ path: join(outDir, 'right-click-menu.png') });
  await page.keyboard.press('Escape');
  await page.mouse.click(5, 5);

  // Crafted requests, with and without the session's token.
  const token = await page.evaluate(() => fm_tk);
  const get = async (path) => gbk.decode(await (await page.request.get(`${base}/${path}`)).body());
  let body = await get(`netdrivers_create_del.asp?p_Act=CreateFolder&p_FileListStyle=1&p_CurrentFolder=/&p_CurrentFile=xsite`);
  check(body.includes('请求无效') , 'a change without the token is refused', body);
  body = await get(`netdrivers_create_del.asp?p_Act=CreateFolder&p_FileListStyle=1&p_CurrentFolder=/&p_CurrentFile=..%2F..%2Fescape&fm_token=${token}`);
  check(body.includes('指定的文件名或路径中含有非法字符'), 'a name climbing out is refused', body);
  body = await get(`netdrivers_view.asp?p_Act=View&p_CurrentFile=%2F..%2Fdata%2Fvote.asp`);
  check(body.includes('非法'), 'viewing outside the share is refused', body.slice(0, 200));
  body = await get(`netdrivers_rename.asp?p_Act=ReNameFile&p_CurrentFolder=/&p_FileListStyle=1&p_OldName=index.htm&p_NewName=a%2Fb.htm&fm_token=${token}`);
  check(body.includes('指定的路径或文件名称非法'), 'a new name holding "/" is refused', body);
  const view = await page.request.get(`${base}/netdrivers_view.asp?p_Act=View&p_CurrentFile=%2Findex.htm`);
  check((view.headers()['content-security-policy'] || '').includes('sandbox') &&
        view.headers()['x-content-type-options'] === 'nosniff', 'viewed files are sandboxed');

  // A name full of markup characters is shown as text and can be deleted.
  const odd = `it's "q" <b>&%.txt`;
  body = await get(`netdrivers_create_del.asp?p_Act=CreateFile&p_FileListStyle=2&p_CurrentFolder=/&p_CurrentFile=${encodeURIComponent(odd)}&fm_token=${token}`);
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/`);
  check((await names(page)).includes(odd) && (await page.$$('.listing b')).length === 0, 'a crafted name shows as text',
        body + (await names(page)).join(','));
  await rightMenu(page, odd, '删除');
  await settle(page);
  check(!(await names(page)).includes(odd), 'a crafted name can be deleted', lastMessage());

  body = gbk.decode(await (await page.request.post(`${base}/netdrivers_edit.asp?`,
    { form: { p_CurrentFile: '/index.htm' } })).body());
  check(body.includes('请求无效') && !body.includes('fcontent'), 'the editor refuses a read without the token', body);

  // Compress a folder through the right-click menu, delete it, and unpack the archive again.
  const make = (act, name) => get(`netdrivers_create_del.asp?p_Act=${act}&p_FileListStyle=2&p_CurrentFolder=/` +
                                  `&p_CurrentFile=${gbkURI(name)}&fm_token=${token}`);
  for (const [act, name] of [['CreateFolder', '打包'], ['CreateFolder', '打包/源'], ['CreateFolder', '打包/源/子'],
                             ['CreateFile', '打包/源/甲.txt'], ['CreateFile', '打包/源/子/乙.txt']])
    check((await make(act, name)).includes('成功'), `creates ${name} to pack`, lastMessage());
  await page.request.post(`${base}/netdrivers_edit.asp?p_CurrentFile=${gbkURI('/打包/源/甲.txt')}`,
    { form: { p_Act: 'EditFile', p_CurrentFile: '/打包/源/甲.txt', fcontent: 'alpha', fm_token: token } });
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=${gbkURI('/打包/')}`);
  const popupDone = async (entry, name) => {
    const opened = context.waitForEvent('page', { timeout: 15000 }).catch(() => null);
    const refreshed = page.waitForNavigation({ timeout: 15000 }).catch(() => {});
    context.once('page', wire);  // before the pop-up's first alert
    await rightMenu(page, name, entry);
    const popup = await opened;
    if (!popup) throw new Error(`no window for ${entry} ${name}: ${(await names(page)).join(',')} ${messages.slice(-3)}`);
    if (!popup.isClosed()) await popup.waitForEvent('close', { timeout: 15000 }).catch(async () => {
      throw new Error(`the ${entry} window stayed open: ${messages.slice(-2)} ${popup.url()} ${await popup.content()}`);
    });
    await refreshed;  // the pop-up refreshes the listing behind it
    await settle(page);
  };
  // The pop-up's own alert may come after other dialogs of the step: look at all of them.
  // On a busy machine the pop-up can close before its alert is seen; a
  // failure is always reported, so no "操作失败" and the right files count.
  const saidSince = (from) => messages.slice(from).includes('操作成功') || !messages.slice(from).includes('操作失败');
  let from = messages.length;
  await popupDone('压缩', '源');
  check(saidSince(from) && (await names(page)).includes('源.RAR'), 'compresses a folder', lastMessage());
  await rightMenu(page, '源', '删除');
  await settle(page);
  check(!(await names(page)).includes('源'), 'the packed folder is deleted');
  from = messages.length;
  await popupDone('解压', '源.RAR');
  check(saidSince(from) && (await names(page)).includes('甲.txt') && (await names(page)).includes('子'),
        'uncompresses the archive', (await names(page)).join(','));
  body = await get(`netdrivers_view.asp?p_Act=View&p_CurrentFile=${gbkURI('/打包/甲.txt')}`);
  let nested = await get(`netdrivers_view.asp?p_Act=View&p_CurrentFile=${gbkURI('/打包/子/乙.txt')}`);
  check(body === 'alpha' && !nested.includes('alert'), 'the unpacked files hold what was packed', body + '|' + nested);
  body = await get(`netdrivers_unzip.asp?p_Act=ZipFolder&p_CurrentFolder=/&p_CurrentFile=${gbkURI('含链')}` +
                   `&fm_token=${token}`);
  check(body.includes('非法') && !(await get('netdrivers.asp?p_CurrentFolder=/')).includes('含链.RAR'),
        'a folder holding a link out of the share is not packed', body);
  body = await get(`netdrivers_unzip.asp?p_Act=ZipFolder&p_CurrentFolder=/&p_CurrentFile=..&fm_token=${token}`);
  check(body.includes('非法'), 'compressing outside the share is refused', body);

  // Sort by the bar under the listing; the order stays while moving between folders.
  await Promise.all([page.waitForNavigation(), page.selectOption('#fm_sort', 'size')]);
  await settle(page);
  check((await names(page)).join(',') === '子,甲.txt,源.RAR', 'sorts by size, folders first',
        (await names(page)).join(','));
  await Promise.all([page.waitForNavigation(), page.selectOption('#fm_order', 'desc')]);
  await settle(page);
  check((await names(page)).join(',') === '子,源.RAR,甲.txt', 'sorts by size descending', (await names(page)).join(','));
  await Promise.all([page.waitForNavigation(), (await entryLink(page, '子')).click()]);
  await settle(page);
  await tool(page, '向上');
  check((await names(page)).join(',') === '子,源.RAR,甲.txt', 'the order is kept between folders',
        (await names(page)).join(',') + ' ' + page.url());
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=${gbkURI('/打包/')}` +
                  '&p_Sort=type&p_Order=asc');
  check((await names(page)).join(',') === '子,源.RAR,甲.txt', 'sorts by type', (await names(page)).join(','));
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=${gbkURI('/打包/')}` +
                  '&p_Sort=name&p_Order=desc');
  check((await names(page)).join(',') === '子,甲.txt,源.RAR', 'sorts by name descending', (await names(page)).join(','));
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/&p_Sort=name&p_Order=asc`);

  // Search from the root: names below it, shown with their paths, in both styles; links out are not followed.
  await page.fill('#fm_search', '乙');
  await Promise.all([page.waitForNavigation(), page.click('#fm_findbtn')]);
  await settle(page);
  check((await names(page)).join(',') === '打包/子/乙.txt', 'finds a name below the folder', (await names(page)).join(','));
  const viewOpened = context.waitForEvent('page', { timeout: 15000 });
  await (await entryLink(page, '打包/子/乙.txt')).click();
  const viewer = await viewOpened;
  await viewer.waitForLoadState('load');
  check(!(await viewer.content()).includes('非法'), 'a search result opens');
  await viewer.close();
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=1&p_CurrentFolder=/&p_Search=TXT`);
  const found = await names(page);
  check(found.includes('打包/甲.txt') && found.includes('文档/说明.txt') && !found.includes('index.htm'),
        'a search in the icon style, any case', found.join(','));
  await page.goto(`${base}/netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/&p_Search=txt`);
  await page.screenshot({ path: join(outDir, 'search-result.png') });
  body = await get('netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/&p_Search=secret');
  check(!body.includes('secret-'), 'the search does not follow a link out of the share', body.slice(-400));
  body = await get('netdrivers.asp?p_FileListStyle=2&p_CurrentFolder=/../&p_Search=vote');
  check(!body.includes('vote.asp') && body.includes('非法'), 'the search cannot start outside the share');

  // Read-only login: the page script refuses, and so does the server.
  await page.goto(`${base}/login.asp?act=logout`);
  await page.fill('#password', 'guest');
  await Promise.all([page.waitForNavigation(), page.click('#loginbtn')]);
  await settle(page);
  await page.click('a[title="新建文件夹"]');
  await page.waitForTimeout(300);
  check(lastMessage() === '你所拥有的权限为只读共享，请勿越权使用！', 'read-only: the page refuses', lastMessage());
  const roToken = await page.evaluate(() => fm_tk);
  body = await get(`netdrivers_create_del.asp?p_Act=CreateFolder&p_FileListStyle=1&p_CurrentFolder=/&p_CurrentFile=ro&fm_token=${roToken}`);
  check(body.includes('文件为只读共享'), 'read-only: the server refuses a direct request', body);
  body = await get(`netdrivers_del_batch.asp?p_FileListStyle=1&p_CurrentFolder=/&fm_token=${roToken}`);
  check(body.includes('文件为只读共享'), 'read-only: batch delete refused on the server', body);
  check(!(await names(page)).includes('ro'), 'read-only: nothing was created');
});
console.log(`screenshots in ${outDir}`);
process.exit(!finished || failures ? 1 : 0);
